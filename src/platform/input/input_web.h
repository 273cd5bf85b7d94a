// The show window's input in a web page: the page's own events, taken
// while the show's picture is up, turned into the window messages the
// show's procedure is written against. The page display (display_web.cpp)
// starts, pumps and stops it.
#pragma once

#include "platform/input/window_input.h"

namespace zelvik {

// Takes the page's input for the show, whose messages name `handle`: the
// page's visibility is announced at once as the window's activation.
void StartPageInput(WindowHandle handle);
void StopPageInput();

// Hands the events that came since the last call to the show's procedure.
void PumpPageInput();

}  // namespace zelvik
