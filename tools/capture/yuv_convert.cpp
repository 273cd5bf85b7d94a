#include "capture/yuv_convert.h"

#include <bit>
#include <cstddef>
#include <cstring>

namespace zelvik {

namespace {

// BT.709 luma weights, and the studio-range scales: 219 steps of luma and
// 224 of each colour difference over the 255 of full-range RGB.
constexpr double kKr = 0.2126, kKb = 0.0722, kKg = 1.0 - kKr - kKb;
constexpr double kLumaScale = 219.0 / 255.0, kChromaScale = 224.0 / 255.0;

// Weights in 1/65536. The three weights of each colour difference sum to
// exactly zero, so every grey comes out as 128 in both.
constexpr int32_t Fixed(double value) { return static_cast<int32_t>(value * 65536.0 + (value < 0 ? -0.5 : 0.5)); }
constexpr int32_t kYr = Fixed(kLumaScale * kKr), kYg = Fixed(kLumaScale * kKg), kYb = Fixed(kLumaScale * kKb);
constexpr int32_t kCbr = Fixed(-kChromaScale * kKr / (2.0 * (1.0 - kKb)));
constexpr int32_t kCbb = Fixed(kChromaScale / 2.0);
constexpr int32_t kCbg = -kCbr - kCbb;
constexpr int32_t kCrb = Fixed(-kChromaScale * kKb / (2.0 * (1.0 - kKr)));
constexpr int32_t kCrr = Fixed(kChromaScale / 2.0);
constexpr int32_t kCrg = -kCrr - kCrb;
// Offsets in 1/65536 with the half for rounding; every sum stays positive.
constexpr int32_t kLumaBias = (16 << 16) + 32768, kChromaBias = (128 << 16) + 32768;

// On x86-64 the row loop is built twice and the one for the processor at
// hand is picked when the program starts: the baseline instruction set has
// no 32-bit vector product, and emulating it makes the loop four times
// slower than with AVX2.
#if defined(__x86_64__)
#define ZELVIK_ROW_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define ZELVIK_ROW_CLONES
#endif

// One row; plain 32-bit arithmetic on whole pixels read as words, which
// the compiler turns into vector code.
ZELVIK_ROW_CLONES void ConvertRow(const uint8_t* in, uint8_t* __restrict y, uint8_t* __restrict cb, uint8_t* __restrict cr,
                int32_t width)
{
    // Blue is the first byte in memory: the word's low byte on a
    // little-endian host, its high byte on a big-endian one.
    constexpr bool kLittle = std::endian::native == std::endian::little;
    constexpr int kBlueShift = kLittle ? 0 : 24, kGreenShift = kLittle ? 8 : 16, kRedShift = kLittle ? 16 : 8;
    for (int32_t x = 0; x < width; ++x) {
        uint32_t word;
        std::memcpy(&word, in + 4 * x, 4);
        const int32_t b = static_cast<int32_t>((word >> kBlueShift) & 255u);
        const int32_t g = static_cast<int32_t>((word >> kGreenShift) & 255u);
        const int32_t r = static_cast<int32_t>((word >> kRedShift) & 255u);
        y[x] = static_cast<uint8_t>((kYr * r + kYg * g + kYb * b + kLumaBias) >> 16);
        cb[x] = static_cast<uint8_t>((kCbr * r + kCbg * g + kCbb * b + kChromaBias) >> 16);
        cr[x] = static_cast<uint8_t>((kCrr * r + kCrg * g + kCrb * b + kChromaBias) >> 16);
    }
}

}  // namespace

void ConvertToYuv444(const uint8_t* pixels, int32_t pitch, int32_t width, int32_t height,
                     uint8_t* const planes[3], const int32_t planePitch[3])
{
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = pixels + static_cast<ptrdiff_t>(row) * pitch;
        uint8_t* out[3];
        for (int k = 0; k < 3; ++k) out[k] = planes[k] + static_cast<ptrdiff_t>(row) * planePitch[k];
        // Scaling by whole numbers repeats rows: those are copied.
        if (row > 0 && std::memcmp(in, in - pitch, rowBytes) == 0) {
            for (int k = 0; k < 3; ++k) std::memcpy(out[k], out[k] - planePitch[k], static_cast<size_t>(width));
            continue;
        }
        ConvertRow(in, out[0], out[1], out[2], width);
    }
}

}  // namespace zelvik
