#include "display/scaler.h"

#include <bit>
#include <cstddef>
#include <cstring>
#include <vector>

namespace zelvik {

namespace {

// One output coordinate of the blend: the two source pixels it lies
// between (already mapped through the whole-number scaling) and the weight
// of the second, in 1/256. Where both are the same pixel the weight is 0,
// so that equal taps can be recognised.
struct Tap {
    int32_t first;
    int32_t second;
    uint32_t weight;
};

PresentationGeometry Geometry;
int32_t PreparedOutputW, PreparedOutputH, PreparedSourceW, PreparedSourceH;
std::vector<Tap> Columns;
std::vector<Tap> Rows;
// Every source row blended across to the picture's columns: four
// components per column (blue, green, red, always-zero), each times 256.
std::vector<uint16_t> Across;
// Whether the picture is exactly as wide as the whole-number scaling, so
// that no column blends (every column tap has weight 0). Then a row across
// is its source pixels repeated, kept as bytes in Wide (one row of the
// picture's width per source row), and the blend down works on bytes:
// with A = a * 256, (A * wa + B * wb + 32768) >> 16 is (a * wa + b * wb +
// 128) >> 8, the same result from a quarter of the data.
bool SharpColumns;
std::vector<uint8_t> Wide;

// Sampling positions of `outputSize` pixel centres spread over an image of
// `upscaledSize` pixels that repeats each of the source's pixels `factor`
// times: position (i + 1/2) * upscaled / output - 1/2, in 16.16 fixed
// point, clamped to the image, as a texture is sampled with clamping.
std::vector<Tap> MakeTaps(int32_t outputSize, int32_t upscaledSize, int32_t factor)
{
    std::vector<Tap> taps(static_cast<size_t>(outputSize));
    for (int32_t i = 0; i < outputSize; ++i) {
        int64_t position = (int64_t{2 * i + 1} * upscaledSize * 65536) / (int64_t{2} * outputSize) - 32768;
        if (position < 0) position = 0;
        int32_t lower = static_cast<int32_t>(position >> 16);
        uint32_t weight = static_cast<uint32_t>(position >> 8) & 255u;
        if (lower >= upscaledSize - 1) {
            lower = upscaledSize - 1;
            weight = 0;
        }
        const int32_t upper = lower + 1 < upscaledSize ? lower + 1 : lower;
        Tap tap{lower / factor, upper / factor, weight};
        if (tap.first == tap.second) tap.weight = 0;  // a * (256 - w) + a * w is a * 256
        taps[static_cast<size_t>(i)] = tap;
    }
    return taps;
}

void AcrossRow(const uint8_t* source, uint16_t* out, int32_t width)
{
    for (int32_t x = 0; x < width; ++x) {
        const Tap& t = Columns[static_cast<size_t>(x)];
        const uint8_t* a = source + 4 * t.first;
        if (t.weight == 0) {  // one source pixel: no products needed
            out[4 * x + 0] = static_cast<uint16_t>(a[0] << 8);
            out[4 * x + 1] = static_cast<uint16_t>(a[1] << 8);
            out[4 * x + 2] = static_cast<uint16_t>(a[2] << 8);
            out[4 * x + 3] = 0;
            continue;
        }
        const uint8_t* b = source + 4 * t.second;
        const uint32_t wa = 256 - t.weight, wb = t.weight;
        out[4 * x + 0] = static_cast<uint16_t>(a[0] * wa + b[0] * wb);
        out[4 * x + 1] = static_cast<uint16_t>(a[1] * wa + b[1] * wb);
        out[4 * x + 2] = static_cast<uint16_t>(a[2] * wa + b[2] * wb);
        out[4 * x + 3] = 0;
    }
}

// A source row repeated across to the picture's columns, the fourth byte of
// each pixel zero.
void WideRow(const uint8_t* source, uint8_t* out, int32_t width)
{
    // The fourth byte in memory is the word's top byte on a little-endian
    // host, its bottom byte on a big-endian one.
    constexpr uint32_t kColours = std::endian::native == std::endian::little ? 0x00ffffffu : 0xffffff00u;
    for (int32_t x = 0; x < width; ++x) {
        uint32_t word;
        std::memcpy(&word, source + 4 * Columns[static_cast<size_t>(x)].first, 4);
        word &= kColours;
        std::memcpy(out + 4 * x, &word, 4);
    }
}

// One output row from two Wide rows, in 16-bit arithmetic: a * wa + b * wb
// + 128 is at most 255 * 256 + 128, which fits.
void BlendBytes(const uint8_t* a, const uint8_t* b, uint32_t weight, uint8_t* out, int32_t count)
{
    const uint16_t wa = static_cast<uint16_t>(256 - weight), wb = static_cast<uint16_t>(weight);
    for (int32_t i = 0; i < count; ++i)
        out[i] = static_cast<uint8_t>(static_cast<uint16_t>(a[i] * wa + b[i] * wb + 128) >> 8);
}

// One output row from two rows of Across: components rounded from 1/65536.
void DownRow(const uint16_t* a, const uint16_t* b, uint32_t weight, uint8_t* out, int32_t count)
{
    if (weight == 0) {
        // (a * 256 + 32768) >> 16 in 16 bits: a + 128 stays below 65536.
        for (int32_t i = 0; i < count; ++i) out[i] = static_cast<uint8_t>((a[i] + 128u) >> 8);
        return;
    }
    const uint32_t wa = 256 - weight, wb = weight;
    for (int32_t i = 0; i < count; ++i)
        out[i] = static_cast<uint8_t>((a[i] * wa + b[i] * wb + 32768u) >> 16);
}

}  // namespace

bool PrepareScaler(int32_t outputW, int32_t outputH, int32_t sourceW, int32_t sourceH)
{
    if (outputW == PreparedOutputW && outputH == PreparedOutputH && sourceW == PreparedSourceW &&
        sourceH == PreparedSourceH && !Rows.empty())
        return true;
    CloseScaler();
    if (sourceW <= 0 || sourceH <= 0) return false;
    const PresentationGeometry g = ComputePresentation(outputW, outputH, sourceW, sourceH, 0, 0);
    const PixelRect& p = g.picture;
    if (p.w <= 0 || p.h <= 0) return false;
    Geometry = g;
    PreparedOutputW = outputW;
    PreparedOutputH = outputH;
    PreparedSourceW = sourceW;
    PreparedSourceH = sourceH;
    Columns = MakeTaps(p.w, g.upscaledW, g.upscaledW / sourceW);
    Rows = MakeTaps(p.h, g.upscaledH, g.upscaledH / sourceH);
    SharpColumns = true;
    for (const Tap& t : Columns) SharpColumns = SharpColumns && t.weight == 0;
    const size_t values = static_cast<size_t>(sourceH) * static_cast<size_t>(p.w) * 4;
    // The row buffer of the other kind is given back, not kept from an
    // earlier size.
    if (SharpColumns) {
        Wide.assign(values, 0);
        std::vector<uint16_t>().swap(Across);
    } else {
        Across.assign(values, 0);
        std::vector<uint8_t>().swap(Wide);
    }
    return true;
}

const PresentationGeometry& ScalerGeometry() { return Geometry; }

bool ScalePicture(const ScalerSource& source, const ScalerTarget& target)
{
    if (!PrepareScaler(target.width, target.height, source.width, source.height)) return false;
    const PixelRect& p = Geometry.picture;
    const size_t rowValues = static_cast<size_t>(p.w) * 4;
    if (SharpColumns) {
        for (int32_t y = 0; y < source.height; ++y)
            WideRow(source.pixels + static_cast<ptrdiff_t>(y) * source.pitch,
                    Wide.data() + static_cast<size_t>(y) * rowValues, p.w);
        for (int32_t y = 0; y < p.h; ++y) {
            const Tap& t = Rows[static_cast<size_t>(y)];
            uint8_t* out = target.pixels + static_cast<ptrdiff_t>(p.y + y) * target.pitch +
                           static_cast<ptrdiff_t>(p.x) * 4;
            const uint8_t* a = Wide.data() + static_cast<size_t>(t.first) * rowValues;
            if (t.weight == 0)
                std::memcpy(out, a, rowValues);
            else
                BlendBytes(a, Wide.data() + static_cast<size_t>(t.second) * rowValues, t.weight, out,
                           static_cast<int32_t>(rowValues));
        }
        return true;
    }
    for (int32_t y = 0; y < source.height; ++y)
        AcrossRow(source.pixels + static_cast<ptrdiff_t>(y) * source.pitch,
                  Across.data() + static_cast<size_t>(y) * rowValues, p.w);
    const Tap* previous = nullptr;
    uint8_t* previousRow = nullptr;
    for (int32_t y = 0; y < p.h; ++y) {
        const Tap& t = Rows[static_cast<size_t>(y)];
        uint8_t* out = target.pixels + static_cast<ptrdiff_t>(p.y + y) * target.pitch +
                       static_cast<ptrdiff_t>(p.x) * 4;
        if (previous != nullptr && previous->first == t.first && previous->second == t.second &&
            previous->weight == t.weight) {
            // The same blend as the row above (whole-number scaling repeats rows).
            std::memcpy(out, previousRow, rowValues);
        } else {
            DownRow(Across.data() + static_cast<size_t>(t.first) * rowValues,
                    Across.data() + static_cast<size_t>(t.second) * rowValues, t.weight, out,
                    static_cast<int32_t>(rowValues));
        }
        previous = &t;
        previousRow = out;
    }
    return true;
}

void ClearScalerBorders(const ScalerTarget& target, int32_t sourceW, int32_t sourceH)
{
    const PixelRect p = ComputePresentation(target.width, target.height, sourceW, sourceH, 0, 0).picture;
    const size_t rowBytes = static_cast<size_t>(target.width) * 4;
    for (int32_t y = 0; y < target.height; ++y) {
        uint8_t* row = target.pixels + static_cast<ptrdiff_t>(y) * target.pitch;
        if (y < p.y || y >= p.y + p.h || p.w <= 0) {
            std::memset(row, 0, rowBytes);
        } else {
            std::memset(row, 0, static_cast<size_t>(p.x) * 4);
            std::memset(row + static_cast<size_t>(p.x + p.w) * 4, 0,
                        static_cast<size_t>(target.width - p.x - p.w) * 4);
        }
    }
}

void CloseScaler()
{
    Columns.clear();
    Rows.clear();
    Across.clear();
    Wide.clear();
    Columns.shrink_to_fit();
    Rows.shrink_to_fit();
    Across.shrink_to_fit();
    Wide.shrink_to_fit();
    SharpColumns = false;
    Geometry = PresentationGeometry{};
    PreparedOutputW = PreparedOutputH = PreparedSourceW = PreparedSourceH = 0;
}

}  // namespace zelvik
