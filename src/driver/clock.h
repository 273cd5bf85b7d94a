// The two clocks of the show, in hundredths of a second.
//  - DemoClock: time since the show started; set by the frame loop (live
//    or captured) before the timeline runs.
//  - SceneClock: time since the current scene started; set by the
//    timeline before it calls a scene routine.
#pragma once

#include <cstdint>

namespace zelvik {

extern uint32_t DemoClock;
extern uint32_t SceneClock;

// The demo clock of frame n of a schedule of `fps` frames a second (the
// capture tool's and the benchmarks' frames): floor(n * 100 / fps).
inline constexpr uint64_t ScheduledDemoClock(uint64_t frame, uint32_t fps)
{
    return frame * 100 / fps;
}

}  // namespace zelvik
