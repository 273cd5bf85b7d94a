// State shared by the drawn dialog manager (dialog_manager.cpp) and its
// painting (dialog_paint.cpp); nothing else includes this.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdint>

#include "platform/dialog/dialog_testing.h"

namespace zelvik {

struct DialogItem {
    int32_t id;
    uint32_t style;
    const char* text;
    PixelRect rect;  // drawable pixels
    intptr_t check;
    SDL_Texture* label;
    int32_t labelW, labelH;
};

struct Dialog {
    const DialogTemplate* dialogTemplate;
    DialogProc proc;
    SDL_Renderer* renderer;
    TTF_Font* font;
    DialogBaseUnits base;
    float pixelsPerPoint;  // drawable pixels per window coordinate
    float uiScale;         // size of the drawing relative to 96 dpi
    int32_t unit;          // width of one classic 1-pixel line
    int32_t clientW, clientH;
    int32_t itemCount;
    DialogItem items[kMaxDialogItems];
    int32_t focus;    // item index, -1 for none
    int32_t capture;  // item held down by the mouse, -1 for none
    bool captureInside;
    int32_t spaceHeld;  // item held down by the space bar, -1 for none
    bool ended;
    intptr_t result;
    bool dirty;
};

inline uint32_t ButtonType(const DialogItem& item) { return item.style & BS_TYPEMASK; }
inline bool IsPushButton(const DialogItem& item)
{
    return ButtonType(item) == BS_PUSHBUTTON || ButtonType(item) == BS_DEFPUSHBUTTON;
}
inline bool IsRadioButton(const DialogItem& item) { return ButtonType(item) == BS_RADIOBUTTON; }
inline bool IsVisible(const DialogItem& item) { return (item.style & WS_VISIBLE) != 0; }

// The id Enter presses now (dialog_manager.cpp).
int32_t DefaultId(const Dialog* d);
// Paints the whole dialog and presents it (dialog_paint.cpp).
void DrawDialog(Dialog* d);

}  // namespace zelvik
