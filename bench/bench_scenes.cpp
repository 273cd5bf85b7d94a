// Per-frame cost of the scenes that touch the whole canvas or draw many
// lines, and of building the torus model.
#include <benchmark/benchmark.h>

#include "canvas/canvas.h"
#include "driver/clock.h"
#include "driver/random.h"
#include "scenes/scenes.h"

using namespace zelvik;

namespace {

void ResetShowParts()
{
    ZeroCanvasState();
    ZeroSceneState();
    ResetCanvas();
}

}  // namespace

static void BM_DrawPlasma(benchmark::State& state)
{
    ResetShowParts();
    PlasmaMode = 1;
    uint32_t clock = 0;
    for (auto _ : state) {
        SceneClock = clock;
        clock = (clock + 1) % 3065;
        DrawPlasma();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawPlasma);

static void BM_DrawTorusLetterbox(benchmark::State& state)
{
    ResetShowParts();
    BuildTorus();
    uint32_t clock = 0;
    for (auto _ : state) {
        SceneClock = clock;
        clock = (clock + 1) % 3070;
        FillLetterboxMiddle();
        DrawTorus(0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawTorusLetterbox);

static void BM_DrawTorusOverPlasma(benchmark::State& state)
{
    ResetShowParts();
    BuildTorus();
    PlasmaMode = 1;
    SceneClock = 765;
    DrawPlasma();
    uint32_t clock = 765;
    for (auto _ : state) {
        // The plasma frame is restored outside the timing.
        state.PauseTiming();
        SceneClock = 765;
        DrawPlasma();
        state.ResumeTiming();
        SceneClock = clock;
        clock = clock < 2299 ? clock + 1 : 765;
        DrawTorus(10);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawTorusOverPlasma);

static void BM_DrawFinale(benchmark::State& state)
{
    ResetShowParts();
    zelvik::srand(1);
    FinaleFirstCall = 1;
    uint32_t clock = 0;
    for (auto _ : state) {
        SceneClock = clock;
        ++clock;
        DrawFinale();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawFinale);

static void BM_BuildTorus(benchmark::State& state)
{
    ResetShowParts();
    for (auto _ : state) {
        BuildTorus();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BuildTorus);
