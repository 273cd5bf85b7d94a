#include "driver/tick_clock.h"

namespace zelvik {

uint64_t ExtendTickCount(TickCount64* ticks, uint32_t tick)
{
    if (ticks->primed && tick < ticks->lastTick) ++ticks->wraps;
    ticks->primed = 1;
    ticks->lastTick = tick;
    return (uint64_t{ticks->wraps} << 32) | tick;
}

uint32_t DemoClockFromTicks(uint64_t tick64, uint64_t startTime)
{
    // Modulo 2^32, as the clock is an unsigned 32-bit count.
    return static_cast<uint32_t>(tick64 / 10 - startTime);
}

}  // namespace zelvik
