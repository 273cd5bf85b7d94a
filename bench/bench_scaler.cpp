// Cost of scaling one presented 320x200 picture to an output frame, at the
// video capture's default size and at full HD (pillar-boxed, blended both
// ways), into a destination with padded rows.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "display/scaler.h"

using namespace zelvik;

static void BM_ScalePicture(benchmark::State& state)
{
    const int32_t w = static_cast<int32_t>(state.range(0)), h = static_cast<int32_t>(state.range(1));
    constexpr int32_t kW = 320, kH = 200, kPitch = kW * 4;
    std::vector<uint8_t> source(static_cast<size_t>(kPitch) * kH);
    uint32_t seed = 1;
    for (uint8_t& byte : source) {
        seed = seed * 1664525u + 1013904223u;
        byte = static_cast<uint8_t>(seed >> 24);
    }
    const int32_t pitch = w * 4 + 64;
    std::vector<uint8_t> frame(static_cast<size_t>(pitch) * static_cast<size_t>(h));
    const ScalerTarget target{frame.data(), w, h, pitch};
    ClearScalerBorders(target, kW, kH);
    for (auto _ : state) {
        ScalePicture(ScalerSource{source.data(), kW, kH, kPitch}, target);
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t{w} * h * 4);
    CloseScaler();
}
BENCHMARK(BM_ScalePicture)->Args({1280, 960})->Args({1920, 1080})->Args({640, 480})->Unit(benchmark::kMicrosecond);
