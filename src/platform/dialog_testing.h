// The drawn dialog manager taken apart for its tests: the modal loop's
// pieces, the state of live controls and the dialog-unit arithmetic.
#pragma once

#include <cstdint>

#include "display/presentation.h"
#include "platform/dialog.h"

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

// The modal loop's pieces: create (WM_INITDIALOG already sent, window
// shown), hand events over one at a time, ask whether EndDialog was called,
// destroy. Create returns nullptr when the dialog cannot be shown.
WindowHandle CreateDialogParam(int32_t templateId, WindowHandle owner, DialogProc proc,
                               intptr_t param);
// Handles one event if it concerns the dialog; true when it did.
bool IsDialogMessage(WindowHandle dialog, const SDL_Event& event);
bool DialogEnded(WindowHandle dialog, intptr_t* result);
// Also drops input still queued for the dialog.
void DestroyDialog(WindowHandle dialog);

// Queries on a live dialog.
int32_t GetFocusedItem(WindowHandle dialog);   // control id, 0 when none
int32_t GetDefaultItem(WindowHandle dialog);   // id Enter would press now
bool IsItemPressed(WindowHandle dialog, int32_t id);
// A control's rectangle in window coordinates (where mouse events land).
bool GetDlgItemRect(WindowHandle dialog, int32_t id, PixelRect* rect);
// Base units and scale (the drawing's size relative to 96 dpi) in use.
DialogBaseUnits GetDialogBaseUnits(WindowHandle dialog);
float GetDialogScale(WindowHandle dialog);

}  // namespace zelvik
