#include "driver/random.h"

namespace zelvik {

static uint32_t RandomSeed;

void srand(uint32_t seed) { RandomSeed = seed; }

int32_t rand()
{
    RandomSeed = RandomSeed * 214013u + 2531011u;
    return static_cast<int32_t>((RandomSeed >> 16) & 0x7FFFu);
}

uint32_t RandomState() { return RandomSeed; }

}  // namespace zelvik
