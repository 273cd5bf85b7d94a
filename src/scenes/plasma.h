// The plasma's table, for tests.
#pragma once

#include <cstdint>

namespace zelvik {

extern int32_t PlasmaTable[256];

}  // namespace zelvik
