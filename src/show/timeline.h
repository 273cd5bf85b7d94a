// The show's script: which scene draws at which demo clock.
#pragma once

#include <cstdint>

namespace zelvik {

// The demo clock at which the finale starts; it runs from there for ever.
inline constexpr uint32_t kFinaleStartClock = 9935;

void RunTimeline();

// The one frame pipeline of the live show, the capture tool, the tests and
// the benchmarks: set the demo clock, draw the scene of that moment, expand
// the canvas.
void RenderFrame(uint32_t demoClock);

}  // namespace zelvik
