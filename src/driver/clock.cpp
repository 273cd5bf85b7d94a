#include "driver/clock.h"

namespace zelvik {

uint32_t DemoClock;
uint32_t SceneClock;

}  // namespace zelvik
