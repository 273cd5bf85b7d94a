// Per-frame cost of keyed sprites and text, the way the scenes use them.
#include <benchmark/benchmark.h>

#include "canvas/canvas.h"
#include "canvas/font.h"
#include "canvas/sheet_file.h"
#include "canvas/sprites.h"

using namespace zelvik;

static void FillSheet()
{
    // Every fourth byte is the key, as in a panel with some transparency.
    for (int32_t i = 0; i < 64000; ++i) SpriteSheet[i] = static_cast<uint8_t>(i % 4 == 0 ? 255 : i % 128);
}

static void BM_DrawSprite(benchmark::State& state)
{
    ResetCanvas();
    FillSheet();
    const int32_t width = static_cast<int32_t>(state.range(0));
    const int32_t height = static_cast<int32_t>(state.range(1));
    DefineSprite(7, 0, 0, height, width, 255, SpriteSheet);
    for (auto _ : state) {
        DrawSprite(7, 161, 151);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * width * height);
}
// The logo, a tall panel, a caption.
BENCHMARK(BM_DrawSprite)->Args({159, 49})->Args({39, 127})->Args({90, 20});

static void BM_DrawString(benchmark::State& state)
{
    ResetCanvas();
    for (auto _ : state) {
        DrawString(100, 100, "Tamberol: Brelm, Gfx");
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawString);
