// The show's picture in a web page: the display back end the page's
// program runs with. Its input is platform/input/input_web.h.
#pragma once

#include "display/display.h"

namespace zelvik {

extern const DisplayBackend WebDisplay;

}  // namespace zelvik
