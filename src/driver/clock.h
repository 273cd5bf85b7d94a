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

}  // namespace zelvik
