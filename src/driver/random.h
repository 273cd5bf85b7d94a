// The show's own pseudo-random generator: a 32-bit linear congruential
// generator returning 15-bit values. It lives in the zelvik namespace so
// that it never mixes with the C library's generator of the same name.
#pragma once

#include <cstdint>

namespace zelvik {

void srand(uint32_t seed);
int32_t rand();  // 0 ... 32767

// The generator's state, for tests and for saving/restoring around a
// look-ahead. Not used by the show itself.
uint32_t RandomState();

}  // namespace zelvik
