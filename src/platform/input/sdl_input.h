// The show window's input on SDL2: SDL's events turned into the window
// messages the show's procedure is written against (WM_CLOSE,
// WM_ACTIVATEAPP, WM_SETCURSOR, WM_KEYDOWN), and noted where they concern
// the display that shows the window. The display back end pumps it once
// per frame.
#pragma once

#include <cstdint>

#include "platform/input/window_input.h"

namespace zelvik {

// What the window's events ask of the display before its next frame.
struct DisplayEventNotes {
    bool surfaceChanged;  // a new size, so a new window surface: borders drawn again
    bool exposed;         // what the window showed may be lost: all of it drawn again
    bool deviceLost;      // the renderer's device was reset: every texture is gone
    bool targetsLost;     // the renderer's render targets were reset
};

// Takes input for `window`, which messages name as `handle`, from when it
// opens: the pointer counts as over it and no activation has been seen.
void StartWindowInput(SDL_Window* window, WindowHandle handle);
void StopWindowInput();

// Hands the window's pending events to its procedure as messages (a stop
// signal as a close request) and adds what concerns the display to
// `notes`. Without a window manager no activation may ever be announced:
// a window that is shown and has the keyboard counts as activated.
void PumpWindowInput(DisplayEventNotes* notes);

// Virtual key code of an SDL key (0 for keys the show has no name for).
uint32_t VirtualKeyFromSdl(int32_t sdlKeycode);

}  // namespace zelvik
