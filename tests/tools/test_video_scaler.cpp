// Scaling the presented picture onto an output of any size (the video
// capture's frames): geometry, black borders drawn by their own call,
// padded destination rows, exact colours where nothing is blended, and
// the blend itself against a direct floating-point reading of "nearest to
// a whole multiple, then bilinear".
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "display/scaler.h"

using namespace zelvik;

namespace {

constexpr int32_t kW = 320, kH = 200;
constexpr int32_t kPitch = kW * 4 + 12;  // padded, as surfaces are

struct Picture {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(static_cast<size_t>(kPitch) * kH, 0xEE);
    void Set(int32_t x, int32_t y, uint32_t rgb)
    {
        uint8_t* p = bytes.data() + y * kPitch + 4 * x;
        p[0] = static_cast<uint8_t>(rgb);
        p[1] = static_cast<uint8_t>(rgb >> 8);
        p[2] = static_cast<uint8_t>(rgb >> 16);
        p[3] = 0;
    }
    uint8_t At(int32_t x, int32_t y, int32_t c) const { return bytes[static_cast<size_t>(y * kPitch + 4 * x + c)]; }
};

constexpr int32_t kTargetPadding = 20;  // bytes after each destination row
constexpr uint8_t kUntouched = 0xA5;

// A destination of w x h pixels with padded rows, filled with a marker.
struct Frame {
    int32_t w, h, pitch;
    std::vector<uint8_t> bytes;
    Frame(int32_t width, int32_t height)
        : w(width), h(height), pitch(width * 4 + kTargetPadding),
          bytes(static_cast<size_t>(pitch) * static_cast<size_t>(height), kUntouched)
    {
    }
    ScalerTarget Target() { return ScalerTarget{bytes.data(), w, h, pitch}; }
    uint32_t At(int32_t x, int32_t y) const
    {
        uint32_t v;
        std::memcpy(&v, bytes.data() + static_cast<size_t>(y) * pitch + static_cast<size_t>(x) * 4, 4);
        return v;
    }
};

ScalerSource Source(const Picture& picture) { return ScalerSource{picture.bytes.data(), kW, kH, kPitch}; }

// The frame as the capture makes it: borders cleared once, then scaled.
Frame Scaled(const Picture& picture, int32_t w, int32_t h)
{
    Frame frame(w, h);
    ClearScalerBorders(frame.Target(), kW, kH);
    EXPECT_TRUE(ScalePicture(Source(picture), frame.Target()));
    return frame;
}

// Where output coordinate i samples an image of `up` pixels shown over `out`.
double Position(int32_t i, int32_t up, int32_t out)
{
    const double s = (i + 0.5) * up / out - 0.5;
    return s < 0 ? 0 : s;
}

}  // namespace

TEST(VideoScaler, PictureIsFourToThreeCentredOnBlack)
{
    Picture white;
    for (int32_t y = 0; y < kH; ++y)
        for (int32_t x = 0; x < kW; ++x) white.Set(x, y, 0xFFFFFF);

    struct Case {
        int32_t w, h;
        PixelRect picture;
    };
    for (const Case c : {Case{1280, 960, {0, 0, 1280, 960}}, Case{1920, 1080, {240, 0, 1440, 1080}},
                         Case{320, 240, {0, 0, 320, 240}}, Case{1280, 1280, {0, 160, 1280, 960}}}) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        ASSERT_TRUE(PrepareScaler(c.w, c.h, kW, kH));
        const PixelRect& p = ScalerGeometry().picture;
        EXPECT_EQ(p.x, c.picture.x);
        EXPECT_EQ(p.y, c.picture.y);
        EXPECT_EQ(p.w, c.picture.w);
        EXPECT_EQ(p.h, c.picture.h);
        // Sharp scaling reaches at least the picture's size.
        EXPECT_EQ(ScalerGeometry().upscaledW % kW, 0);
        EXPECT_GE(ScalerGeometry().upscaledW, p.w);
        EXPECT_GE(ScalerGeometry().upscaledH, p.h);

        const Frame frame = Scaled(white, c.w, c.h);
        int32_t wrong = 0, padding = 0;
        for (int32_t y = 0; y < c.h; ++y) {
            for (int32_t x = 0; x < c.w; ++x) {
                const bool inside = x >= p.x && x < p.x + p.w && y >= p.y && y < p.y + p.h;
                wrong += frame.At(x, y) != (inside ? 0x00FFFFFFu : 0u);
            }
            for (int32_t i = 0; i < kTargetPadding; ++i)
                padding += frame.bytes[static_cast<size_t>(y) * frame.pitch + c.w * 4 + i] != kUntouched;
        }
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(padding, 0) << "bytes past the rows were written";
    }
    CloseScaler();
}

TEST(VideoScaler, WholeMultiplesKeepEveryColourExactly)
{
    // 1280 = 4 x 320 across: every column is a source column, unblended.
    // Rows are blended (1000 -> 960), so each column is one colour top to
    // bottom here.
    Picture stripes;
    for (int32_t x = 0; x < kW; ++x)
        for (int32_t y = 0; y < kH; ++y) stripes.Set(x, y, static_cast<uint32_t>(x) * 0x010307u & 0xFFFFFF);
    Frame frame = Scaled(stripes, 1280, 960);
    int32_t wrong = 0;
    for (int32_t y = 0; y < 960; y += 7)
        for (int32_t x = 0; x < 1280; ++x)
            wrong += frame.At(x, y) != (static_cast<uint32_t>(x / 4) * 0x010307u & 0xFFFFFF);
    EXPECT_EQ(wrong, 0);

    // 640 x 480 = 2 x 320 across and 2.4 x 200 down from 3 x 200: columns
    // again exact.
    frame = Scaled(stripes, 640, 480);
    wrong = 0;
    for (int32_t y = 0; y < 480; y += 5)
        for (int32_t x = 0; x < 640; ++x)
            wrong += frame.At(x, y) != (static_cast<uint32_t>(x / 2) * 0x010307u & 0xFFFFFF);
    EXPECT_EQ(wrong, 0);
    CloseScaler();
}

TEST(VideoScaler, BlendMatchesBilinearSamplingOfTheSharpImage)
{
    Picture noise;
    uint32_t state = 12345;
    for (int32_t y = 0; y < kH; ++y)
        for (int32_t x = 0; x < kW; ++x) {
            state = state * 1664525u + 1013904223u;
            noise.Set(x, y, state >> 8);
        }
    struct Case {
        int32_t w, h;
    };
    for (const Case c : {Case{1920, 1080}, Case{1000, 750}, Case{200, 150}}) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        const Frame frame = Scaled(noise, c.w, c.h);
        const PresentationGeometry g = ScalerGeometry();
        const int32_t kx = g.upscaledW / kW, ky = g.upscaledH / kH;
        int32_t worst = 0;
        for (int32_t y = 0; y < g.picture.h; y += 3) {
            const double sy = Position(y, g.upscaledH, g.picture.h);
            const int32_t y0 = static_cast<int32_t>(sy) < g.upscaledH - 1 ? static_cast<int32_t>(sy) : g.upscaledH - 1;
            const int32_t y1 = y0 + 1 < g.upscaledH ? y0 + 1 : y0;
            const double fy = sy - y0 > 1 ? 0 : sy - y0;
            for (int32_t x = 0; x < g.picture.w; x += 3) {
                const double sx = Position(x, g.upscaledW, g.picture.w);
                const int32_t x0 = static_cast<int32_t>(sx) < g.upscaledW - 1 ? static_cast<int32_t>(sx) : g.upscaledW - 1;
                const int32_t x1 = x0 + 1 < g.upscaledW ? x0 + 1 : x0;
                const double fx = sx - x0 > 1 ? 0 : sx - x0;
                const uint32_t got = frame.At(g.picture.x + x, g.picture.y + y);
                for (int32_t ch = 0; ch < 3; ++ch) {
                    const double top = noise.At(x0 / kx, y0 / ky, ch) * (1 - fx) + noise.At(x1 / kx, y0 / ky, ch) * fx;
                    const double bottom = noise.At(x0 / kx, y1 / ky, ch) * (1 - fx) + noise.At(x1 / kx, y1 / ky, ch) * fx;
                    const double want = top * (1 - fy) + bottom * fy;
                    const int32_t diff = std::abs(static_cast<int32_t>((got >> (8 * ch)) & 255) -
                                                  static_cast<int32_t>(std::lround(want)));
                    worst = diff > worst ? diff : worst;
                }
                ASSERT_EQ(got >> 24, 0u);
            }
        }
        // Weights are kept in 1/256ths.
        EXPECT_LE(worst, 2);
    }
    CloseScaler();
}

TEST(VideoScaler, PictureOnlyIsWrittenAndSizesChangeBetweenCalls)
{
    Picture grey;
    for (int32_t y = 0; y < kH; ++y)
        for (int32_t x = 0; x < kW; ++x) grey.Set(x, y, 0x808080);
    // Without the border call, the borders keep whatever was there: frames
    // only overwrite the picture.
    Frame wide(1920, 1080);
    ASSERT_TRUE(ScalePicture(Source(grey), wide.Target()));
    EXPECT_EQ(wide.At(0, 0), 0xA5A5A5A5u);
    EXPECT_EQ(wide.At(239, 540), 0xA5A5A5A5u);
    EXPECT_EQ(wide.At(240, 540), 0x00808080u);
    EXPECT_EQ(wide.At(1679, 540), 0x00808080u);
    EXPECT_EQ(wide.At(1680, 540), 0xA5A5A5A5u);
    // Another size rebuilds the tables; the earlier size again gives the
    // same pixels as the first time.
    const Frame small = Scaled(grey, 320, 240);
    EXPECT_EQ(small.At(319, 239), 0x00808080u);
    Frame again(1920, 1080);
    ASSERT_TRUE(ScalePicture(Source(grey), again.Target()));
    EXPECT_EQ(again.bytes, wide.bytes);

    // No room for a picture: refused, nothing written.
    Frame empty(0, 4);
    EXPECT_FALSE(ScalePicture(Source(grey), empty.Target()));
    EXPECT_EQ(empty.bytes, std::vector<uint8_t>(empty.bytes.size(), kUntouched));
    CloseScaler();
}
