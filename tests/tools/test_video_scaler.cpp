// Scaling the presented picture to a video frame: geometry, black borders,
// exact colours where nothing is blended, and the blend itself against a
// direct floating-point reading of "nearest to a whole multiple, then
// bilinear".
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "capture/video_scaler.h"

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

uint32_t Pixel(const uint8_t* frame, int32_t outputW, int32_t x, int32_t y)
{
    uint32_t v;
    std::memcpy(&v, frame + (static_cast<size_t>(y) * outputW + x) * 4, 4);
    return v;
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
        ASSERT_EQ(OpenVideoScaler(c.w, c.h, kW, kH), "");
        const PixelRect& p = VideoScalerGeometry().picture;
        EXPECT_EQ(p.x, c.picture.x);
        EXPECT_EQ(p.y, c.picture.y);
        EXPECT_EQ(p.w, c.picture.w);
        EXPECT_EQ(p.h, c.picture.h);
        // Sharp scaling reaches at least the picture's size.
        EXPECT_EQ(VideoScalerGeometry().upscaledW % kW, 0);
        EXPECT_GE(VideoScalerGeometry().upscaledW, p.w);
        EXPECT_GE(VideoScalerGeometry().upscaledH, p.h);

        const uint8_t* frame = ScaleVideoPicture(white.bytes.data(), kPitch);
        int32_t wrong = 0;
        for (int32_t y = 0; y < c.h; ++y)
            for (int32_t x = 0; x < c.w; ++x) {
                const bool inside = x >= p.x && x < p.x + p.w && y >= p.y && y < p.y + p.h;
                wrong += Pixel(frame, c.w, x, y) != (inside ? 0x00FFFFFFu : 0u);
            }
        EXPECT_EQ(wrong, 0);
    }
    CloseVideoScaler();
}

TEST(VideoScaler, WholeMultiplesKeepEveryColourExactly)
{
    // 1280 = 4 x 320 across: every column is a source column, unblended.
    // Rows are blended (1000 -> 960), so each column is one colour top to
    // bottom here.
    Picture stripes;
    for (int32_t x = 0; x < kW; ++x)
        for (int32_t y = 0; y < kH; ++y) stripes.Set(x, y, static_cast<uint32_t>(x) * 0x010307u & 0xFFFFFF);
    ASSERT_EQ(OpenVideoScaler(1280, 960, kW, kH), "");
    const uint8_t* frame = ScaleVideoPicture(stripes.bytes.data(), kPitch);
    int32_t wrong = 0;
    for (int32_t y = 0; y < 960; y += 7)
        for (int32_t x = 0; x < 1280; ++x)
            wrong += Pixel(frame, 1280, x, y) != (static_cast<uint32_t>(x / 4) * 0x010307u & 0xFFFFFF);
    EXPECT_EQ(wrong, 0);

    // 640 x 480 = 2 x 320 across and 2.4 x 200 down from 3 x 200: columns
    // again exact.
    ASSERT_EQ(OpenVideoScaler(640, 480, kW, kH), "");
    frame = ScaleVideoPicture(stripes.bytes.data(), kPitch);
    wrong = 0;
    for (int32_t y = 0; y < 480; y += 5)
        for (int32_t x = 0; x < 640; ++x)
            wrong += Pixel(frame, 640, x, y) != (static_cast<uint32_t>(x / 2) * 0x010307u & 0xFFFFFF);
    EXPECT_EQ(wrong, 0);
    CloseVideoScaler();
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
        ASSERT_EQ(OpenVideoScaler(c.w, c.h, kW, kH), "");
        const PresentationGeometry g = VideoScalerGeometry();
        const int32_t kx = g.upscaledW / kW, ky = g.upscaledH / kH;
        const uint8_t* frame = ScaleVideoPicture(noise.bytes.data(), kPitch);
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
                const uint32_t got = Pixel(frame, c.w, g.picture.x + x, g.picture.y + y);
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
    CloseVideoScaler();
}
