// The capture's colour conversion against the BT.709 studio-range formula
// worked out in double precision, for every one of the 2^24 colours.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "capture/yuv_convert.h"

using namespace zelvik;

namespace {

struct Planes {
    int32_t w, h;
    std::vector<uint8_t> y, cb, cr;
    Planes(int32_t width, int32_t height)
        : w(width), h(height), y(size_t(width * height)), cb(y.size()), cr(y.size()) {}
    void Convert(const std::vector<uint8_t>& pixels, int32_t pitch)
    {
        uint8_t* const planes[3] = {y.data(), cb.data(), cr.data()};
        const int32_t pitches[3] = {w, w, w};
        ConvertToYuv444(pixels.data(), pitch, w, h, planes, pitches);
    }
};

// Exact values before rounding.
void Exact(int r, int g, int b, double out[3])
{
    const double luma = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    out[0] = 16.0 + luma * 219.0 / 255.0;
    out[1] = 128.0 + (b - luma) / 1.8556 * 224.0 / 255.0;
    out[2] = 128.0 + (r - luma) / 1.5748 * 224.0 / 255.0;
}

}  // namespace

TEST(YuvConvert, EveryColourIsTheExactValueRounded)
{
    // One row per red level, one pixel per green and blue pair; the unused
    // fourth byte is set, and must not matter.
    constexpr int32_t kW = 256 * 256, kH = 256;
    std::vector<uint8_t> pixels(size_t(kW) * kH * 4);
    for (int r = 0; r < 256; ++r)
        for (int g = 0; g < 256; ++g)
            for (int b = 0; b < 256; ++b) {
                uint8_t* p = &pixels[(size_t(r) * kW + size_t(g) * 256 + size_t(b)) * 4];
                p[0] = uint8_t(b), p[1] = uint8_t(g), p[2] = uint8_t(r), p[3] = uint8_t(r ^ g ^ b);
            }
    Planes planes(kW, kH);
    planes.Convert(pixels, kW * 4);
    int offByOne = 0;
    for (int r = 0; r < 256; ++r)
        for (int g = 0; g < 256; ++g)
            for (int b = 0; b < 256; ++b) {
                const size_t i = size_t(r) * kW + size_t(g) * 256 + size_t(b);
                const uint8_t got[3] = {planes.y[i], planes.cb[i], planes.cr[i]};
                double exact[3];
                Exact(r, g, b, exact);
                for (int k = 0; k < 3; ++k) {
                    const double error = std::fabs(got[k] - exact[k]);
                    // Rounded to nearest, or a value within 1/100 of a half.
                    ASSERT_LE(error, 0.51) << "r " << r << " g " << g << " b " << b << " plane " << k;
                    offByOne += error > 0.5;
                }
            }
    EXPECT_LT(offByOne, 3 * (1 << 24) / 1000) << "too many values rounded the wrong way";
}

TEST(YuvConvert, GreysAreNeutralAndTheRangeIsStudio)
{
    constexpr int32_t kW = 256;
    std::vector<uint8_t> pixels(kW * 4);
    for (int v = 0; v < 256; ++v) pixels[size_t(v) * 4] = pixels[size_t(v) * 4 + 1] = pixels[size_t(v) * 4 + 2] = uint8_t(v);
    Planes planes(kW, 1);
    planes.Convert(pixels, kW * 4);
    for (int v = 0; v < 256; ++v) {
        EXPECT_EQ(planes.cb[size_t(v)], 128) << v;
        EXPECT_EQ(planes.cr[size_t(v)], 128) << v;
    }
    EXPECT_EQ(planes.y[0], 16);
    EXPECT_EQ(planes.y[255], 235);
}

TEST(YuvConvert, RepeatedRowsAndPaddedPitches)
{
    // Rows 0 and 1 equal, row 2 different, row 3 equal to row 2; the
    // source rows are padded, so a comparison must use the pitch.
    constexpr int32_t kW = 37, kH = 4, kPitch = kW * 4 + 12;
    std::vector<uint8_t> pixels(size_t(kPitch) * kH, 0xEE);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            for (int c = 0; c < 4; ++c)
                pixels[size_t(y * kPitch + x * 4 + c)] = uint8_t(y < 2 ? x * 7 + c : 255 - x * 5 - c);
    Planes planes(kW, kH);
    planes.Convert(pixels, kPitch);
    for (int x = 0; x < kW; ++x) {
        for (const std::vector<uint8_t>* plane : {&planes.y, &planes.cb, &planes.cr}) {
            EXPECT_EQ((*plane)[size_t(x)], (*plane)[size_t(kW + x)]);
            EXPECT_EQ((*plane)[size_t(2 * kW + x)], (*plane)[size_t(3 * kW + x)]);
        }
        double exact[3];
        Exact(255 - x * 5 - 2, 255 - x * 5 - 1, 255 - x * 5, exact);
        EXPECT_NEAR(planes.y[size_t(3 * kW + x)], exact[0], 0.51);
        EXPECT_NEAR(planes.cb[size_t(3 * kW + x)], exact[1], 0.51);
        EXPECT_NEAR(planes.cr[size_t(3 * kW + x)], exact[2], 0.51);
    }
}

TEST(YuvConvert, HalfResolutionColourIsTheBlockMeanRounded)
{
    // Blocks of one colour (the canvas's pixels scaled by an even number),
    // blocks of four colours, a padded pitch, and a pair of rows repeating
    // the pair above (rows 4 and 5 equal rows 2 and 3).
    constexpr int32_t kW = 64, kH = 6, kPitch = kW * 4 + 8;
    std::vector<uint8_t> pixels(size_t(kPitch) * kH, 0xEE);
    uint32_t state = 12345;
    auto next = [&state]() { return state = state * 1664525u + 1013904223u, uint8_t(state >> 24); };
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            uint8_t* p = &pixels[size_t(y * kPitch + x * 4)];
            if (y >= 4) {
                std::memcpy(p, p - 2 * kPitch, 4);
            } else if (x < kW / 2 && (x % 2 == 1 || y % 2 == 1)) {
                std::memcpy(p, &pixels[size_t((y - y % 2) * kPitch + (x - x % 2) * 4)], 4);
            } else {
                p[0] = next(), p[1] = next(), p[2] = next(), p[3] = next();
            }
        }
    std::vector<uint8_t> y(size_t(kW) * kH), cb(size_t(kW / 2) * (kH / 2)), cr(cb.size());
    uint8_t* const planes[3] = {y.data(), cb.data(), cr.data()};
    const int32_t pitches[3] = {kW, kW / 2, kW / 2};
    ConvertToYuv420(pixels.data(), kPitch, kW, kH, planes, pitches);
    Planes full(kW, kH);
    full.Convert(pixels, kPitch);
    EXPECT_EQ(y, full.y);
    for (int by = 0; by < kH / 2; ++by)
        for (int bx = 0; bx < kW / 2; ++bx) {
            double mean[3] = {};
            for (int k = 0; k < 4; ++k) {
                const uint8_t* p = &pixels[size_t((2 * by + k / 2) * kPitch + (2 * bx + k % 2) * 4)];
                double exact[3];
                Exact(p[2], p[1], p[0], exact);
                for (int c = 0; c < 3; ++c) mean[c] += exact[c] / 4;
            }
            const size_t i = size_t(by * (kW / 2) + bx);
            EXPECT_NEAR(cb[i], mean[1], 0.51) << bx << "," << by;
            EXPECT_NEAR(cr[i], mean[2], 0.51) << bx << "," << by;
            if (bx < kW / 4 && by < 2) {
                // A block inside one pixel keeps that pixel's colour exactly.
                EXPECT_EQ(cb[i], full.cb[size_t(2 * by * kW + 2 * bx)]);
                EXPECT_EQ(cr[i], full.cr[size_t(2 * by * kW + 2 * bx)]);
            }
        }
}
