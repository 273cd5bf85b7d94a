// Per-frame cost of every range of the script, drawn alone and as a whole
// frame (draw, expand, present into a 32-bit surface, as the live show
// does), and of the whole show at 100 frames per second, next to what it
// costs merely to write a frame's bytes: a canvas (64,000 bytes) and two
// 32-bit frames (2 x 256,000 bytes). bench/frame_ratios.sh runs these and
// prints each against it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "canvas/canvas.h"
#include "display/display.h"
#include "driver/clock.h"
#include "driver/random.h"
#include "show/setup.h"
#include "display/offscreen_display.h"
#include "show/timeline.h"

using namespace zelvik;

namespace {

// The timed loops step through this many clocks from the range's moment
// (every range is at least this long).
constexpr uint32_t kClockSpan = 50;

// The moment of row i of the script that the timed loops start from: where
// a step of its own clock starts (the logo's slide-in), else the span in
// the middle of the row; 500 into the last row, which runs for ever.
uint32_t RangeMoment(int32_t i)
{
    const ScriptRow& row = kScript[i];
    for (const ScriptStep& step : row.steps)
        if (step.ownOrigin != 0) return step.ownOrigin;
    if (i + 1 == kScriptRowCount) return row.start + 500;
    const uint32_t length = ScriptRowEnd(i) - row.start;
    return row.start + (length - std::min(length, kClockSpan)) / 2;
}

// Runs the show from its start up to `clock` at ten frames per second, so
// that palette, canvas and the scenes' own state are those of a real run.
void RunShowUpTo(uint32_t clock)
{
    StartShow(0, ZELVIK_GENERATED_SHEET);
    for (uint32_t t = 0; t < clock; t += 10) RenderFrame(t);
}

void OpenSurface32()
{
    ConfigureOffscreenSurface(FindPixelFormat("32"), 0);
    UseDisplayBackend(&OffscreenDisplay);
    InitDisplay("Demo", kCanvasWidth, kCanvasHeight);
    AppActive = 1;
}

}  // namespace

static void BM_ByteCopyBaseline(benchmark::State& state)
{
    static uint8_t canvasFrom[kCanvasSize], canvasTo[kCanvasSize];
    static uint32_t frameFrom[kCanvasSize], frameTo[kCanvasSize], surfaceTo[kCanvasSize];
    std::memset(canvasFrom, 1, sizeof canvasFrom);
    std::memset(frameFrom, 2, sizeof frameFrom);
    for (auto _ : state) {
        std::memcpy(canvasTo, canvasFrom, sizeof canvasTo);
        std::memcpy(frameTo, frameFrom, sizeof frameTo);
        std::memcpy(surfaceTo, frameTo, sizeof surfaceTo);
        benchmark::DoNotOptimize(surfaceTo);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ByteCopyBaseline);

static void BM_RangeDraw(benchmark::State& state)
{
    const int32_t i = static_cast<int32_t>(state.range(0));
    const uint32_t moment = RangeMoment(i);
    state.SetLabel(kScript[i].name);
    RunShowUpTo(moment);
    uint32_t step = 0;
    for (auto _ : state) {
        DemoClock = moment + step;
        step = step + 1 < kClockSpan ? step + 1 : 0;
        RunTimeline();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RangeDraw)->DenseRange(0, kScriptRowCount - 1);

static void BM_RangeFrame(benchmark::State& state)
{
    const int32_t i = static_cast<int32_t>(state.range(0));
    const uint32_t moment = RangeMoment(i);
    state.SetLabel(kScript[i].name);
    RunShowUpTo(moment);
    OpenSurface32();
    uint32_t step = 0;
    for (auto _ : state) {
        PresentShowFrame(moment + step);
        step = step + 1 < kClockSpan ? step + 1 : 0;
        benchmark::ClobberMemory();
    }
    ShutdownDisplay();
}
BENCHMARK(BM_RangeFrame)->DenseRange(0, kScriptRowCount - 1);

// Every frame of the show at 100 frames per second, from its start to ten
// seconds into the finale: one iteration is the whole run, its time over
// the frame count (the label) the mean cost of a frame.
static void BM_WholeShow(benchmark::State& state)
{
    constexpr uint32_t kUntil = kFinaleStartClock + 1000;
    state.SetLabel(std::to_string(kUntil + 1));
    OpenSurface32();
    for (auto _ : state) {
        state.PauseTiming();
        StartShow(0, ZELVIK_GENERATED_SHEET);
        state.ResumeTiming();
        for (uint32_t clock = 0; clock <= kUntil; ++clock) PresentShowFrame(clock);
        benchmark::ClobberMemory();
    }
    ShutdownDisplay();
}
BENCHMARK(BM_WholeShow)->Unit(benchmark::kMillisecond);
