#include "show/timeline.h"

#include "canvas/canvas.h"
#include "display/display.h"
#include "driver/clock.h"

namespace zelvik {

// What the table must be for RunTimeline to hold to it: rows in order from
// clock 0, each scene clock counting from no later than its row's start,
// and a step's own clock from within its row. (That every row has a step
// is checked by the tests: a function's address is not a constant in
// every build, the sanitizers' among them.)
static constexpr bool ScriptIsWellFormed()
{
    if (kScript[0].start != 0) return false;
    for (int32_t i = 0; i < kScriptRowCount; ++i) {
        const ScriptRow& row = kScript[i];
        if (i > 0 && row.start <= kScript[i - 1].start) return false;
        if (row.origin > row.start) return false;
        for (const ScriptStep& step : row.steps) {
            if (step.ownOrigin == 0) continue;
            if (step.ownOrigin < row.start) return false;
            if (i + 1 < kScriptRowCount && step.ownOrigin >= kScript[i + 1].start) return false;
        }
    }
    return true;
}
static_assert(ScriptIsWellFormed());

void RunTimeline()
{
    const uint32_t t = DemoClock;
    const ScriptRow& row = ScriptRowAt(t);
    SceneClock = t - row.origin;
    for (const ScriptStep& step : row.steps) {
        if (step.run == nullptr) break;
        if (step.ownOrigin != 0) {
            SceneClock = t - step.ownOrigin;
            if (t <= step.ownOrigin) continue;
        }
        step.run();
    }
}

void RenderFrame(uint32_t demoClock)
{
    DemoClock = demoClock;
    RunTimeline();
    ExpandCanvas();
}

int PresentShowFrame(uint32_t demoClock)
{
    DemoClock = demoClock;
    RunTimeline();
    if (DisplayWidth != kCanvasWidth || DisplayHeight != kCanvasHeight) {
        // A display of another size gets the frame PresentFrame's way.
        ExpandCanvas();
        return PresentFrame(TrueColourFrame);
    }
    return PresentFrameFrom(ExpandCanvasInto, TrueColourFrame);
}

}  // namespace zelvik
