// The window services of the show's platform layer, on SDL2: window
// handles, the window messages and key codes the show's procedures are
// written against, and the video side's start-up.
#pragma once

#include <cstdint>

// The message pumps of this layer's windows turn a recorded stop signal
// into a close request.
#include "driver/stop_signals.h"

struct SDL_Window;

namespace zelvik {

struct Dialog;

// A window made by the dialog manager or by a display back end. The show
// treats the handle as opaque; only the platform layer reads the fields.
struct Window {
    SDL_Window* sdlWindow;
    Dialog* dialog;  // the dialog manager's state; nullptr for other windows
};
using WindowHandle = Window*;

// Procedures receive a message and two parameters.
using WindowProc = intptr_t (*)(WindowHandle window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam);

// Window messages.
inline constexpr uint32_t WM_CLOSE = 0x0010;
inline constexpr uint32_t WM_ACTIVATEAPP = 0x001C;  // wParam: 1 active, 0 inactive
inline constexpr uint32_t WM_SETCURSOR = 0x0020;
inline constexpr uint32_t WM_KEYDOWN = 0x0100;      // wParam: virtual key code

// Virtual key codes (the low byte of WM_KEYDOWN's wParam).
inline constexpr uint32_t VK_TAB = 0x09;
inline constexpr uint32_t VK_RETURN = 0x0D;
inline constexpr uint32_t VK_ESCAPE = 0x1B;
inline constexpr uint32_t VK_SPACE = 0x20;

// Why the last window-system call failed (SDL's message).
const char* WindowSystemError();
void ClearWindowSystemError();
// Initialises the video side once per process (also used by display back
// ends); false with WindowSystemError() set when there is no display.
bool InitWindowSystem();
// Lets go of the window system (and every other part of SDL) at the end
// of the program.
void QuitWindowSystem();
// Hides the mouse pointer (nullptr) or shows the normal arrow (any other).
void SetCursor(const void* cursor);

// Handles for windows that a display back end creates itself, so that its
// messages can name the window like a dialog's do. Detaching a dialog's
// handle does nothing: the dialog manager frees those.
WindowHandle AttachWindowHandle(SDL_Window* window);
void DetachWindowHandle(WindowHandle window);
// SDL's id of the window (0 for nullptr or a window not made yet).
uint32_t GetSdlWindowId(WindowHandle window);

}  // namespace zelvik
