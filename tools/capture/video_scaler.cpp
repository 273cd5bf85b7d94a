#include "capture/video_scaler.h"

#include <cstddef>
#include <cstring>
#include <vector>

namespace zelvik {

namespace {

// One output coordinate of the bilinear pass: the two source pixels it
// lies between (already mapped through the whole-number scaling) and the
// weight of the second, in 1/256.
struct Tap {
    int32_t first;
    int32_t second;
    uint32_t weight;
};

PresentationGeometry Geometry;
int32_t OutputW, OutputH, SourceW, SourceH;
std::vector<Tap> Columns;
std::vector<Tap> Rows;
// Every source row interpolated across: three components per output
// column, each scaled by 256.
std::vector<uint16_t> Across;
std::vector<uint8_t> Frame;

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
        taps[static_cast<size_t>(i)] = Tap{lower / factor, upper / factor, weight};
    }
    return taps;
}

}  // namespace

std::string OpenVideoScaler(int32_t outputW, int32_t outputH, int32_t sourceW, int32_t sourceH)
{
    CloseVideoScaler();
    Geometry = ComputePresentation(outputW, outputH, sourceW, sourceH, 0, 0);
    const PixelRect& p = Geometry.picture;
    if (p.w <= 0 || p.h <= 0) return "the frame is too small for the picture";
    OutputW = outputW;
    OutputH = outputH;
    SourceW = sourceW;
    SourceH = sourceH;
    Columns = MakeTaps(p.w, Geometry.upscaledW, Geometry.upscaledW / sourceW);
    Rows = MakeTaps(p.h, Geometry.upscaledH, Geometry.upscaledH / sourceH);
    Across.assign(static_cast<size_t>(sourceH) * static_cast<size_t>(p.w) * 3, 0);
    // Black where the picture does not reach; those bytes are never written again.
    Frame.assign(static_cast<size_t>(outputW) * static_cast<size_t>(outputH) * 4, 0);
    return "";
}

const PresentationGeometry& VideoScalerGeometry() { return Geometry; }

const uint8_t* ScaleVideoPicture(const uint8_t* pixels, int32_t pitch)
{
    const PixelRect& p = Geometry.picture;
    // Across: each source row at the output's columns.
    for (int32_t y = 0; y < SourceH; ++y) {
        const uint8_t* source = pixels + static_cast<ptrdiff_t>(y) * pitch;
        uint16_t* out = Across.data() + static_cast<size_t>(y) * static_cast<size_t>(p.w) * 3;
        for (int32_t x = 0; x < p.w; ++x) {
            const Tap& t = Columns[static_cast<size_t>(x)];
            const uint8_t* a = source + 4 * t.first;
            const uint8_t* b = source + 4 * t.second;
            for (int32_t c = 0; c < 3; ++c)
                out[3 * x + c] = static_cast<uint16_t>(a[c] * (256 - t.weight) + b[c] * t.weight);
        }
    }
    // Down: blend the two rows each output row lies between.
    for (int32_t y = 0; y < p.h; ++y) {
        const Tap& t = Rows[static_cast<size_t>(y)];
        const uint16_t* a = Across.data() + static_cast<size_t>(t.first) * static_cast<size_t>(p.w) * 3;
        const uint16_t* b = Across.data() + static_cast<size_t>(t.second) * static_cast<size_t>(p.w) * 3;
        uint8_t* out = Frame.data() + (static_cast<size_t>(p.y + y) * static_cast<size_t>(OutputW) +
                                       static_cast<size_t>(p.x)) * 4;
        for (int32_t x = 0; x < p.w; ++x) {
            for (int32_t c = 0; c < 3; ++c)
                out[4 * x + c] = static_cast<uint8_t>(
                    (a[3 * x + c] * (256 - t.weight) + b[3 * x + c] * t.weight + 32768u) >> 16);
            out[4 * x + 3] = 0;
        }
    }
    return Frame.data();
}

void CloseVideoScaler()
{
    Columns.clear();
    Rows.clear();
    Across.clear();
    Frame.clear();
    Geometry = PresentationGeometry{};
}

}  // namespace zelvik
