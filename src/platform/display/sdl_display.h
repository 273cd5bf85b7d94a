// The show's full-screen window on SDL2: the display back end the program
// runs with. Its input is platform/input/sdl_input.h; its pure pieces and
// test hooks are sdl_display_testing.h.
#pragma once

#include "display/display.h"
#include "platform/window/window_system.h"

namespace zelvik {

extern const DisplayBackend SdlDisplay;

// The handle the window's messages carry; nullptr while closed.
WindowHandle DisplayWindowHandle();

}  // namespace zelvik
