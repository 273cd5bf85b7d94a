#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "canvas/canvas.h"

using namespace zelvik;

namespace {

class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZeroCanvasState();
        ResetCanvas();
    }
    static uint8_t At(int x, int y) { return Canvas[x + 320 * y]; }
    // Every pixel that differs from `background`.
    static std::set<std::pair<int, int>> Changed(uint8_t background = 0)
    {
        std::set<std::pair<int, int>> result;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 320; ++x)
                if (At(x, y) != background) result.insert({x, y});
        return result;
    }
};

TEST_F(CanvasTest, ResetGivesFullClipAndTextColour)
{
    Canvas[123] = 7;
    ResetCanvas();
    EXPECT_EQ(Canvas[123], 0);
    EXPECT_EQ(ClipRect.xMin, 0);
    EXPECT_EQ(ClipRect.xMax, 319);
    EXPECT_EQ(ClipRect.yMin, 0);
    EXPECT_EQ(ClipRect.yMax, 199);
    EXPECT_EQ(TextColour, 15);
}

TEST_F(CanvasTest, PutPixelClipsAtEveryEdgeAndStoresLowByte)
{
    PutPixel(-1, 0, 9);
    PutPixel(320, 0, 9);
    PutPixel(0, -1, 9);
    PutPixel(0, 200, 9);
    EXPECT_TRUE(Changed().empty());
    PutPixel(319, 199, 9);
    EXPECT_EQ(Canvas[63999], 9);
    PutPixel(5, 5, 511);
    EXPECT_EQ(At(5, 5), 255);
    PutPixel(5, 5, 256);
    EXPECT_EQ(At(5, 5), 0);
}

TEST_F(CanvasTest, BeforeResetOnlyTheOriginPassesTheClip)
{
    ZeroCanvasState();
    PutPixel(0, 0, 9);
    PutPixel(1, 0, 9);
    PutPixel(0, 1, 9);
    EXPECT_EQ(Canvas[0], 9);
    EXPECT_EQ(Changed().size(), 1u);
}

TEST_F(CanvasTest, AddPixelSaturatesAtTopAndWrapsBelowZero)
{
    const std::pair<int, int> cases[][2] = {
        {{250, 10}, {255, 0}}, {{200, 55}, {255, 0}}, {{200, 54}, {254, 0}}, {{10, -20}, {246, 0}}};
    for (const auto& c : cases) {
        Canvas[0] = static_cast<uint8_t>(c[0].first);
        AddPixel(0, 0, c[0].second);
        EXPECT_EQ(Canvas[0], c[1].first) << c[0].first << " + " << c[0].second;
    }
    AddPixel(-1, 0, 5);
    AddPixel(0, 200, 5);
    EXPECT_EQ(Changed(), (std::set<std::pair<int, int>>{{0, 0}}));
}

TEST_F(CanvasTest, FillBoxOrdersCornersAndClips)
{
    FillBox(10, 5, 3, 2, 9);
    auto changed = Changed();
    EXPECT_EQ(changed.size(), 32u);
    for (auto [x, y] : changed) {
        EXPECT_GE(x, 3);
        EXPECT_LE(x, 10);
        EXPECT_GE(y, 2);
        EXPECT_LE(y, 5);
    }

    ClearCanvas(0);
    FillBox(-5, 0, -1, 10, 9);
    EXPECT_TRUE(Changed().empty());

    FillBox(-5, 0, 5, 0, 9);
    changed = Changed();
    EXPECT_EQ(changed.size(), 6u);
    EXPECT_TRUE(changed.count({0, 0}) && changed.count({5, 0}));

    ClearCanvas(0);
    FillBox(300, 190, 400, 250, 9);
    EXPECT_EQ(Changed().size(), 20u * 10u);
    EXPECT_EQ(At(300, 190), 9);
    EXPECT_EQ(At(319, 199), 9);
}

std::vector<std::pair<int, int>> LinePixels(int x0, int y0, int x1, int y1)
{
    ClearCanvas(0);
    DrawLineAdd(x0, y0, x1, y1, 1);
    std::vector<std::pair<int, int>> result;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 320; ++x) {
            EXPECT_LE(Canvas[x + 320 * y], 1) << "pixel hit twice at " << x << "," << y;
            if (Canvas[x + 320 * y]) result.push_back({x, y});
        }
    return result;
}

using Points = std::vector<std::pair<int, int>>;

TEST_F(CanvasTest, LinesTruncateTheMinorCoordinateTowardsTheStart)
{
    EXPECT_EQ(LinePixels(5, 5, 5, 5), (Points{{5, 5}}));
    EXPECT_EQ(LinePixels(0, 0, 4, 1), (Points{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 1}}));
    EXPECT_EQ(LinePixels(0, 0, 2, 1), (Points{{0, 0}, {1, 0}, {2, 1}}));
    // The reverse line covers different pixels.
    EXPECT_EQ(LinePixels(2, 1, 0, 0), (Points{{0, 0}, {1, 1}, {2, 1}}));
    EXPECT_EQ(LinePixels(0, 0, 3, 3), (Points{{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
    // y-major with a negative step.
    EXPECT_EQ(LinePixels(1, 3, 0, 0), (Points{{0, 0}, {1, 1}, {1, 2}, {1, 3}}));
}

TEST_F(CanvasTest, LineOffTheCanvasIsClippedPixelByPixel)
{
    Points expected;
    for (int x = 0; x <= 10; ++x) expected.push_back({x, 5});
    EXPECT_EQ(LinePixels(-10, 5, 10, 5), expected);
    EXPECT_TRUE(LinePixels(-100, -5, 400, -50).empty());
}

// The line as defined, one division per point, for comparison with the
// incremental drawing.
void ReferenceLine(uint8_t* canvas, int x0, int y0, int x1, int y1, const ClipRectangle& clip)
{
    const auto add = [&](int64_t x, int64_t y) {
        if (x < clip.xMin || x > clip.xMax || y < clip.yMin || y > clip.yMax) return;
        uint8_t& p = canvas[x + 320 * y];
        p = p == 255 ? 255 : p + 1;
    };
    const int64_t adx = std::abs(int64_t{x1} - x0), ady = std::abs(int64_t{y1} - y0);
    const int64_t sx = adx == 0 ? 0 : (x1 > x0 ? 1 : -1), sy = ady == 0 ? 0 : (y1 > y0 ? 1 : -1);
    if (adx + ady == 0) return add(x0, y0);
    if (adx > ady)
        for (int64_t i = 0; i <= adx; ++i) add(x0 + sx * i, y0 + sy * ((ady * i) / adx));
    else
        for (int64_t i = 0; i <= ady; ++i) add(x0 + sx * ((adx * i) / ady), y0 + sy * i);
}

TEST_F(CanvasTest, LinesMatchTheirDefinitionEverywhereAndUnderAnyClip)
{
    static uint8_t expected[64000];
    uint32_t state = 12345;
    const auto next = [&](int lo, int hi) {
        state = state * 1664525u + 1013904223u;
        return lo + static_cast<int>((state >> 8) % static_cast<uint32_t>(hi - lo + 1));
    };
    const ClipRectangle clips[] = {{0, 319, 0, 199}, {10, 200, 20, 150}, {0, 0, 0, 0}, {50, 40, 0, 199}};
    for (const ClipRectangle& clip : clips) {
        ClipRect = clip;
        ClearCanvas(0);
        std::memset(expected, 0, sizeof expected);
        for (int n = 0; n < 3000; ++n) {
            const int x0 = next(-400, 700), y0 = next(-300, 500), x1 = next(-400, 700), y1 = next(-300, 500);
            DrawLineAdd(x0, y0, x1, y1, 1);
            ReferenceLine(expected, x0, y0, x1, y1, clip);
        }
        // Lines on the canvas, most of them wholly inside the clip.
        for (int n = 0; n < 3000; ++n) {
            const int x0 = next(0, 319), y0 = next(0, 199), x1 = next(0, 319), y1 = next(0, 199);
            DrawLineAdd(x0, y0, x1, y1, 1);
            ReferenceLine(expected, x0, y0, x1, y1, clip);
        }
        ASSERT_EQ(0, std::memcmp(expected, Canvas, sizeof expected));
    }
}

TEST_F(CanvasTest, AdditiveLinesAccumulateWhereTheyMeet)
{
    DrawLineAdd(0, 0, 10, 0, 3);
    DrawLineAdd(10, 0, 10, 10, 4);
    EXPECT_EQ(At(0, 0), 3);
    EXPECT_EQ(At(10, 0), 7);
    EXPECT_EQ(At(10, 10), 4);
}

TEST_F(CanvasTest, LetterboxFillsTouchOnlyTheirBands)
{
    ClearCanvas(7);
    FillLetterboxBars();
    EXPECT_EQ(At(0, 0), 128);
    EXPECT_EQ(At(319, 15), 128);
    EXPECT_EQ(At(0, 16), 7);
    EXPECT_EQ(At(319, 183), 7);
    EXPECT_EQ(At(0, 184), 128);
    EXPECT_EQ(At(319, 199), 128);

    ClearCanvas(7);
    FillLetterboxMiddle();
    EXPECT_EQ(At(319, 15), 7);
    EXPECT_EQ(At(0, 16), 129);
    EXPECT_EQ(At(319, 183), 129);
    EXPECT_EQ(At(0, 184), 7);

    ClearCanvas(7);
    FillLetterbox();
    for (int y = 0; y < 200; ++y) {
        const uint8_t expected = (y < 16 || y >= 184) ? 128 : 129;
        EXPECT_EQ(At(0, y), expected) << y;
        EXPECT_EQ(At(319, y), expected) << y;
    }
}

TEST_F(CanvasTest, ClearCanvasIgnoresTheClipAndKeepsLowByte)
{
    ClipRect = ClipRectangle{0, 0, 0, 0};
    ClearCanvas(0x1234);
    EXPECT_TRUE(Changed(0x34).empty());
}

TEST_F(CanvasTest, ExpandCanvasPutsRedGreenBlueInPlace)
{
    SetPaletteEntry(7, 1, 2, 3);
    SetPaletteEntry(255, 255, 255, 255);
    Canvas[0] = 7;
    Canvas[63999] = 255;
    ExpandCanvas();
    EXPECT_EQ(TrueColourFrame[0], 0x010203u);
    EXPECT_EQ(TrueColourFrame[63999], 0xFFFFFFu);
    EXPECT_EQ(TrueColourFrame[1], 0u);
    // A palette change after drawing applies to the whole frame.
    SetPaletteEntry(0, 9, 9, 9);
    ExpandCanvas();
    EXPECT_EQ(TrueColourFrame[1], 0x090909u);
}

}  // namespace
