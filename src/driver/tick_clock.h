// The demo clock from the system's millisecond tick count.
//
// The tick count is 32 bits wide and wraps every 2^32 ms (about 49.7 days
// of uptime). Subtracting the start time from it, as the clock is defined,
// goes wrong at that moment: the clock leaps forward by some 3.87e9
// hundredths (the finale's motion jumps; with another start time it can
// land back in the intro). Counting the wraps instead makes the tick count
// a 64-bit one that never wraps; the clock computed from it equals the
// defined one until the wrap and carries on smoothly after it. (The clock
// itself is 32 bits of hundredths and so still wraps after 497 days of
// show, back into the script, as defined.)
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
