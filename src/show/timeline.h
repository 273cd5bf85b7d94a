// Runs the show's script (scenes/scenes.h): which scene draws at which
// demo clock.
#pragma once

#include <cstdint>

#include "scenes/scenes.h"

namespace zelvik {

// Sets SceneClock and calls the steps of the row of DemoClock.
void RunTimeline();

// The one frame pipeline of the live show, the capture tool, the tests and
// the benchmarks: set the demo clock, draw the scene of that moment, expand
// the canvas.
void RenderFrame(uint32_t demoClock);

// The live show's frame: the scene of demoClock drawn and presented, the
// canvas expanded straight into the display's surface when that takes
// 32-bit words unchanged. TrueColourFrame is then not brought up to date;
// whoever reads it uses RenderFrame. Returns what PresentFrame returns.
int PresentShowFrame(uint32_t demoClock);

}  // namespace zelvik
