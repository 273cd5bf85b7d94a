// The drawn dialog manager taken apart for its tests: the state of live
// controls, events handed over one at a time and the dialog-unit
// arithmetic. The modeless pieces are modeless_dialog.h.
#pragma once

#include <cstdint>

#include "display/presentation.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/modeless_dialog.h"

union SDL_Event;

namespace zelvik {

// Rounded a * b / c, as the window system scales dialog units; -1 when c is 0.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

// The dialog font's average character width and height in pixels.
struct DialogBaseUnits {
    int32_t x;
    int32_t y;
};

inline constexpr int32_t kMaxDialogItems = 16;

// A template converted into pixels: x px = x du * base.x / 4 and
// y px = y du * base.y / 8, each value rounded on its own. `window` is the
// dialog's screen position and client size; items are in client pixels.
struct DialogLayout {
    PixelRect window;
    int32_t itemCount;
    PixelRect items[kMaxDialogItems];
};
DialogLayout LayoutDialog(const DialogTemplate& dialogTemplate, DialogBaseUnits base);

// Handles one event if it concerns the dialog; true when it did.
bool IsDialogMessage(WindowHandle dialog, const SDL_Event& event);

// Queries on a live dialog.
int32_t GetFocusedItem(WindowHandle dialog);   // control id, 0 when none
int32_t GetDefaultItem(WindowHandle dialog);   // id Enter would press now
bool IsItemPressed(WindowHandle dialog, int32_t id);
// Base units and scale (the drawing's size relative to 96 dpi) in use.
DialogBaseUnits GetDialogBaseUnits(WindowHandle dialog);
float GetDialogScale(WindowHandle dialog);

}  // namespace zelvik
