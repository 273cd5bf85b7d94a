// The display's state for its tests.
#pragma once

#include "display/convert.h"
#include "display/display.h"

namespace zelvik {

// The row converter InitDisplay chose for the back end's pixel format;
// nullptr while no display is open.
extern RowConverter ActiveRowConverter;

}  // namespace zelvik
