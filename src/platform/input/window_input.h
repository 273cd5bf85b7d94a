// The show window's input, whichever back end a system builds (the
// platform table's input row): the window system's events reach the show
// as the window messages its procedure is written against (WM_CLOSE,
// WM_ACTIVATEAPP, WM_SETCURSOR, WM_KEYDOWN).
#pragma once

#include "platform/window/window_system.h"

namespace zelvik {

// The procedure the show's window hands its messages to; set before the
// display opens.
void SetDisplayWindowProc(WindowProc proc);

}  // namespace zelvik
