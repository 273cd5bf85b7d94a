// Per-frame cost of the canvas expansion and of each row converter.
#include <benchmark/benchmark.h>

#include <vector>

#include "canvas/canvas.h"
#include "display/convert.h"

using namespace zelvik;

static void BM_ExpandCanvas(benchmark::State& state)
{
    for (int32_t i = 0; i < kCanvasSize; ++i) Canvas[i] = static_cast<uint8_t>(i * 7);
    for (int32_t k = 0; k < 256; ++k) SetPaletteEntry(k, k, 255 - k, k / 2);
    for (auto _ : state) {
        ExpandCanvas();
        benchmark::DoNotOptimize(TrueColourFrame);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ExpandCanvas);

static void BM_ConvertFrame(benchmark::State& state)
{
    const PixelFormatSpec& format = PixelFormats[state.range(0)];
    state.SetLabel(format.name);
    for (int32_t i = 0; i < kCanvasSize; ++i) TrueColourFrame[i] = static_cast<uint32_t>(i) * 2654435761u & 0xFFFFFF;
    const int32_t pitch = kCanvasWidth * format.bytesPerPixel;
    std::vector<uint8_t> surface(static_cast<size_t>(pitch) * kCanvasHeight);
    for (auto _ : state) {
        ConvertFrame(TrueColourFrame, kCanvasWidth, kCanvasHeight, surface.data(), pitch,
                     format.converter);
        benchmark::DoNotOptimize(surface.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ConvertFrame)->DenseRange(0, kPixelFormatCount - 1);
