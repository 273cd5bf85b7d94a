// What the show asks of X directly, beside SDL: catching protocol errors
// and reading the desktop's dpi setting. Each system has its own file
// behind this header, chosen by CMake (no-ops where there is no X). The
// show does not link libX11: the functions are looked up in the library
// SDL's X11 driver loads.
#pragma once

struct SDL_Window;

namespace zelvik {

// Xlib's own handler ends the process on any X error; nothing the show does
// with the window system is worth that. This installs a handler that
// reports each error in one line on stderr ("zelvik: X error ignored: ...")
// and lets the program go on. Called before the video side starts, so that
// SDL's X11 code, which saves the handler it finds and puts it back before
// it closes its connections, keeps ours in place of Xlib's default to the
// very end. Does nothing when libX11 is not present; safe to call again.
void CatchX11Errors();

// The number of X errors the handler has caught.
int X11ErrorsReported();

// The desktop's Xft.dpi setting, read from the resources the X server gave
// the connection of `window` when it opened (no request is sent); 0 when
// unset or when the window is not on X.
int X11DesktopDpi(SDL_Window* window);

}  // namespace zelvik
