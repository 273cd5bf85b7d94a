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

// Blue is the first byte in memory: the word's low byte on a little-endian
// host, its high byte on a big-endian one.
constexpr bool kLittle = std::endian::native == std::endian::little;
constexpr int kBlueShift = kLittle ? 0 : 24, kGreenShift = kLittle ? 8 : 16, kRedShift = kLittle ? 16 : 8;

struct Rgb {
    int32_t r, g, b;
};

inline Rgb ReadPixel(const uint8_t* in)
{
    uint32_t word;
    std::memcpy(&word, in, 4);
    return Rgb{static_cast<int32_t>((word >> kRedShift) & 255u), static_cast<int32_t>((word >> kGreenShift) & 255u),
               static_cast<int32_t>((word >> kBlueShift) & 255u)};
}

inline uint8_t Luma(Rgb p) { return static_cast<uint8_t>((kYr * p.r + kYg * p.g + kYb * p.b + kLumaBias) >> 16); }

// The colour differences of a sum of 2^shift pixels, which is their mean's:
// the weights are linear, so the mean is taken before rounding, once.
inline uint8_t BlueDifference(Rgb sum, int shift)
{
    return static_cast<uint8_t>((kCbr * sum.r + kCbg * sum.g + kCbb * sum.b + (kChromaBias << shift)) >> (16 + shift));
}
inline uint8_t RedDifference(Rgb sum, int shift)
{
    return static_cast<uint8_t>((kCrr * sum.r + kCrg * sum.g + kCrb * sum.b + (kChromaBias << shift)) >> (16 + shift));
}

// One row at full resolution; plain 32-bit arithmetic on whole pixels read
// as words, which the compiler turns into vector code.
ZELVIK_ROW_CLONES void ConvertRow(const uint8_t* in, uint8_t* __restrict y, uint8_t* __restrict cb,
                                  uint8_t* __restrict cr, int32_t width)
{
    for (int32_t x = 0; x < width; ++x) {
        const Rgb p = ReadPixel(in + 4 * x);
        y[x] = Luma(p);
        cb[x] = BlueDifference(p, 0);
        cr[x] = RedDifference(p, 0);
    }
}

// Two rows: luma of each pixel, one colour-difference pair for each 2x2
// block, from the block's mean colour.
ZELVIK_ROW_CLONES void ConvertRowPair(const uint8_t* in0, const uint8_t* in1, uint8_t* __restrict y0,
                                      uint8_t* __restrict y1, uint8_t* __restrict cb, uint8_t* __restrict cr,
                                      int32_t halfWidth)
{
    for (int32_t x = 0; x < halfWidth; ++x) {
        const Rgb a = ReadPixel(in0 + 8 * x), b = ReadPixel(in0 + 8 * x + 4);
        const Rgb c = ReadPixel(in1 + 8 * x), d = ReadPixel(in1 + 8 * x + 4);
        y0[2 * x] = Luma(a), y0[2 * x + 1] = Luma(b);
        y1[2 * x] = Luma(c), y1[2 * x + 1] = Luma(d);
        const Rgb sum{a.r + b.r + c.r + d.r, a.g + b.g + c.g + d.g, a.b + b.b + c.b + d.b};
        cb[x] = BlueDifference(sum, 2);
        cr[x] = RedDifference(sum, 2);
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

void ConvertToYuv420(const uint8_t* pixels, int32_t pitch, int32_t width, int32_t height,
                     uint8_t* const planes[3], const int32_t planePitch[3])
{
    const size_t pairBytes = static_cast<size_t>(width) * 4;
    for (int32_t pair = 0; pair < height / 2; ++pair) {
        const uint8_t* in = pixels + static_cast<ptrdiff_t>(2 * pair) * pitch;
        uint8_t* y = planes[0] + static_cast<ptrdiff_t>(2 * pair) * planePitch[0];
        uint8_t* cb = planes[1] + static_cast<ptrdiff_t>(pair) * planePitch[1];
        uint8_t* cr = planes[2] + static_cast<ptrdiff_t>(pair) * planePitch[2];
        // Scaling by an even whole number repeats pairs of rows: those are
        // copied.
        if (pair > 0 && std::memcmp(in, in - 2 * static_cast<ptrdiff_t>(pitch), pairBytes) == 0 &&
            std::memcmp(in + pitch, in - pitch, pairBytes) == 0) {
            std::memcpy(y, y - 2 * static_cast<ptrdiff_t>(planePitch[0]), static_cast<size_t>(width));
            std::memcpy(y + planePitch[0], y - planePitch[0], static_cast<size_t>(width));
            std::memcpy(cb, cb - planePitch[1], static_cast<size_t>(width / 2));
            std::memcpy(cr, cr - planePitch[2], static_cast<size_t>(width / 2));
            continue;
        }
        ConvertRowPair(in, in + pitch, y, y + planePitch[0], cb, cr, width / 2);
    }
}

}  // namespace zelvik
