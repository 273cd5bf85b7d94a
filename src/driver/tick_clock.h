// The demo clock from the system's 32-bit millisecond tick count. The tick
// count wraps every 2^32 ms (49.7 days); subtracting the start time across
// the wrap would make the clock leap, so the wraps are counted and the
// clock runs on smoothly (it equals the plain difference until the wrap).
#pragma once

#include <cstdint>

namespace zelvik {

// The wraps seen so far. Zero-initialised state is ready to use.
struct TickCount64 {
    uint32_t lastTick;  // the previous reading
    uint32_t wraps;     // how many times the reading went down
    int32_t primed;     // 0 until the first reading
};

// The reading `tick` extended to 64 bits: a reading smaller than the one
// before means the counter wrapped once in between. Readings must come at
// least once per wrap period (49.7 days), which any running loop does.
uint64_t ExtendTickCount(TickCount64* ticks, uint32_t tick);

// The demo clock for a 64-bit tick count and a start time in hundredths
// (the extended tick count / 10 when the show started).
uint32_t DemoClockFromTicks(uint64_t tick64, uint64_t startTime);

}  // namespace zelvik
