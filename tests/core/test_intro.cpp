#include <gtest/gtest.h>

#include <cstring>

#include "canvas/canvas.h"
#include "canvas/font.h"
#include "canvas/sprites.h"
#include "driver/clock.h"
#include "show/setup.h"
#include "show/timeline.h"
#include "scenes/intro.h"
#include "scenes/scenes.h"
#include "test_support.h"

using namespace zelvik;
using namespace zelvik_test;

namespace {

class IntroTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZeroEverything();
        ResetCanvas();
        FillTestSheet();
        const int rects[8][4] = {{92, 7, 127, 39},  {135, 7, 127, 39}, {176, 7, 127, 39},
                                 {218, 7, 33, 99},  {218, 43, 33, 99}, {218, 79, 33, 99},
                                 {218, 115, 33, 99}, {161, 151, 49, 159}};
        for (int s = 0; s < 8; ++s)
            DefineSprite(s, rects[s][0], rects[s][1], rects[s][2], rects[s][3], kTestKey, SpriteSheet);
    }

    static void Intro(uint32_t clock)
    {
        SceneClock = clock;
        DrawIntroPanels();
    }

    // Bounding box of the canvas pixels of one colour; false when none.
    static bool Extent(uint8_t colour, int* x0, int* y0, int* x1, int* y1)
    {
        *x0 = *y0 = 1000;
        *x1 = *y1 = -1;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 320; ++x)
                if (Canvas[x + 320 * y] == colour) {
                    *x0 = std::min(*x0, x);
                    *y0 = std::min(*y0, y);
                    *x1 = std::max(*x1, x);
                    *y1 = std::max(*y1, y);
                }
        return *x1 >= 0;
    }
};

TEST_F(IntroTest, WidePanelSlidesInAndOut)
{
    int x0, y0, x1, y1;
    Intro(0);  // W (slot 3) entirely off the canvas at x = -99
    EXPECT_FALSE(Extent(SlotColour(3), &x0, &y0, &x1, &y1));

    Intro(1);  // x = -97: two columns show
    ASSERT_TRUE(Extent(SlotColour(3), &x0, &y0, &x1, &y1));
    EXPECT_EQ(x0, 0);
    EXPECT_EQ(x1, 1);
    EXPECT_EQ(y0, 0);
    EXPECT_EQ(y1, 32);

    Intro(104);  // at rest
    ASSERT_TRUE(Extent(SlotColour(3), &x0, &y0, &x1, &y1));
    EXPECT_EQ(x1, 98);

    Intro(420);  // slide-out starts at x = 0 (trunc of -0.0)
    ASSERT_TRUE(Extent(SlotColour(3), &x0, &y0, &x1, &y1));
    EXPECT_EQ(x1, 98);

    Intro(524);  // one column left
    ASSERT_TRUE(Extent(SlotColour(3), &x0, &y0, &x1, &y1));
    EXPECT_EQ(x1, 0);

    Intro(525);  // phase 5: only the strips
    EXPECT_FALSE(Extent(SlotColour(3), &x0, &y0, &x1, &y1));
    EXPECT_FALSE(Extent(SlotColour(2), &x0, &y0, &x1, &y1));
}

TEST_F(IntroTest, TallPanelDropsOutFromUnderTheWidePanel)
{
    int x0, y0, x1, y1;
    Intro(105);  // T at y = -94, wholly hidden by the opaque W
    EXPECT_FALSE(Extent(SlotColour(2), &x0, &y0, &x1, &y1));
    ASSERT_TRUE(Extent(SlotColour(3), &x0, &y0, &x1, &y1));
    EXPECT_EQ(x0, 0);

    Intro(209);  // T at y = 32: its top row hidden under W, bottom at 158
    ASSERT_TRUE(Extent(SlotColour(2), &x0, &y0, &x1, &y1));
    EXPECT_EQ(y0, 33);
    EXPECT_EQ(y1, 158);

    Intro(210);  // at rest at y = 33
    ASSERT_TRUE(Extent(SlotColour(2), &x0, &y0, &x1, &y1));
    EXPECT_EQ(y0, 33);
    EXPECT_EQ(y1, 159);
    EXPECT_EQ(x1, 38);

    // Each cycle has its own pair of panels.
    Intro(630 + 210);
    EXPECT_TRUE(Extent(SlotColour(4), &x0, &y0, &x1, &y1));
    EXPECT_TRUE(Extent(SlotColour(1), &x0, &y0, &x1, &y1));
    Intro(1260 + 210);
    EXPECT_TRUE(Extent(SlotColour(5), &x0, &y0, &x1, &y1));
    EXPECT_TRUE(Extent(SlotColour(0), &x0, &y0, &x1, &y1));
    Intro(1890 + 210);
    EXPECT_TRUE(Extent(SlotColour(6), &x0, &y0, &x1, &y1));
    EXPECT_TRUE(Extent(SlotColour(1), &x0, &y0, &x1, &y1));
}

TEST_F(IntroTest, LastCycleFadesThePalette)
{
    const auto expectEntry = [](int index, int r, int g, int b) {
        EXPECT_EQ(PaletteRed[index], r) << index;
        EXPECT_EQ(PaletteGreen[index], g) << index;
        EXPECT_EQ(PaletteBlue[index], b) << index;
    };
    SetPaletteEntry(128, 1, 2, 3);
    Intro(1889);  // cycle 2: no fade
    expectEntry(128, 1, 2, 3);

    Intro(1890);  // r = 0 writes the set-up values again
    expectEntry(128, 0, 0, 0);
    expectEntry(129, 0, 0, 0);
    expectEntry(254, 255, 255, 255);
    expectEntry(253, 200, 200, 200);

    Intro(1890 + 315);  // f = 0.5
    expectEntry(128, 0, 0, 127);
    expectEntry(129, 64, 64, 64);
    expectEntry(254, 127, 127, 127);
    expectEntry(253, 100, 100, 100);

    Intro(2519);  // r = 629
    expectEntry(128, 0, 0, 254);
    expectEntry(129, 127, 127, 127);
    expectEntry(254, 0, 0, 0);
    expectEntry(253, 0, 0, 0);
}

TEST_F(IntroTest, LetterboxStripsAndSquare)
{
    Intro(0);
    EXPECT_EQ(Canvas[0 + 320 * 5], 128);      // top bar (W is off screen)
    EXPECT_EQ(Canvas[10 + 320 * 190], 128);   // bottom bar
    EXPECT_EQ(Canvas[10 + 320 * 100], 129);   // band
    EXPECT_EQ(TextColour, 254);
    // The column's first "0" starts at y = 0: its top row is 3 pixels wide.
    EXPECT_EQ(Canvas[280 + 320 * 0], 254);
    EXPECT_EQ(Canvas[282 + 320 * 0], 254);
    EXPECT_EQ(Canvas[283 + 320 * 0], 128);
    // The row's first visible "0" is at x = 0.
    EXPECT_EQ(Canvas[0 + 320 * 140], 254);
    EXPECT_EQ(Canvas[2 + 320 * 140], 254);
    // The square covers the crossing.
    for (int y = 124; y <= 156; ++y)
        for (int x = 264; x <= 296; ++x) ASSERT_EQ(Canvas[x + 320 * y], 253) << x << "," << y;
    EXPECT_EQ(Canvas[263 + 320 * 130], 129);
    EXPECT_EQ(Canvas[297 + 320 * 130], 129);
}

TEST_F(IntroTest, GlyphStripsMoveOnePixelPerFourHundredths)
{
    uint8_t before[64000];
    for (uint32_t clock : {0u, 3u}) {
        ClearCanvas(0);
        SceneClock = clock;
        DrawGlyphStrip();
        if (clock == 0) std::memcpy(before, Canvas, sizeof before);
        else EXPECT_EQ(0, std::memcmp(before, Canvas, sizeof before)) << "moved before clock 4";
    }
    ClearCanvas(0);
    SceneClock = 4;
    DrawGlyphStrip();
    // The column moved up by one, away from the square and the row strip.
    for (int y = 0; y < 110; ++y)
        for (int x = 276; x < 290; ++x)
            ASSERT_EQ(Canvas[x + 320 * y], before[x + 320 * (y + 1)]) << x << "," << y;
    // The row moved right by one, left of the square.
    for (int y = 140; y < 148; ++y)
        for (int x = 0; x < 250; ++x)
            ASSERT_EQ(Canvas[x + 1 + 320 * y], before[x + 320 * y]) << x << "," << y;
}

TEST_F(IntroTest, BandFadeAndLogoSlide)
{
    for (auto [t, grey] : {std::pair{0u, 128}, {1u, 125}, {2u, 122}, {3u, 120}, {49u, 2}}) {
        SceneClock = t;
        FadeLetterbox();
        EXPECT_EQ(PaletteRed[129], grey) << t;
        EXPECT_EQ(PaletteBlue[129], grey) << t;
    }
    EXPECT_EQ(Canvas[5 * 320], 128);
    EXPECT_EQ(Canvas[100 * 320], 129);

    for (auto [t, x] : {std::pair{1u, 316}, {25u, 240}, {49u, 164}}) {
        ClearCanvas(0);
        SceneClock = t;
        SlideInLogo();
        int left = 320;
        for (int y = 151; y < 200; ++y)
            for (int col = 0; col < 320; ++col)
                if (Canvas[col + 320 * y] == SlotColour(7)) left = std::min(left, col);
        EXPECT_EQ(left, x) << t;
        EXPECT_EQ(Canvas[319 + 320 * 150], 0);
        EXPECT_EQ(Canvas[319 + 320 * 151], SlotColour(7));
    }
}

}  // namespace
