#include <gtest/gtest.h>

#include <cstring>

#include "canvas/canvas.h"
#include "driver/clock.h"
#include "scenes/plasma.h"
#include "scenes/scenes.h"

using namespace zelvik;

namespace {

class PlasmaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZeroCanvasState();
        ZeroSceneState();
        ResetCanvas();
        SceneClock = 0;
    }
    static uint8_t At(int x, int y) { return Canvas[x + 320 * y]; }
    // Draws the first frame of the run (mode 1) at the given clock.
    static void DrawFirstFrame(uint32_t clock)
    {
        PlasmaMode = 1;
        SceneClock = clock;
        DrawPlasma();
    }
    static void ExpectPaletteEntry(int index, int red, int green, int blue)
    {
        EXPECT_EQ(PaletteRed[index], red) << "entry " << index;
        EXPECT_EQ(PaletteGreen[index], green) << "entry " << index;
        EXPECT_EQ(PaletteBlue[index], blue) << "entry " << index;
    }
    static void MarkPalette()
    {
        for (int i = 0; i < 256; ++i) SetPaletteEntry(i, 7, 8, 9);
    }
    static int Mod256(int v) { return ((v % 256) + 256) % 256; }
    // The colour of (x, y) from its closed form, with phases a0 and b0.
    static int ClosedForm(int a0, int b0, int x, int y)
    {
        const int32_t* T = PlasmaTable;
        const int p = Mod256(T[Mod256(a0 + 2 * y)] - x);
        const int q = Mod256(T[Mod256(b0 - y)] - 2 * x);
        return T[Mod256(T[p] + T[q] + q - p)];
    }
};

TEST_F(PlasmaTest, TableHoldsSquaredSineWithItsCheckValues)
{
    DrawFirstFrame(0);
    for (int i = 0; i <= 7; ++i) EXPECT_EQ(PlasmaTable[i], 0) << i;
    EXPECT_EQ(PlasmaTable[8], 1);
    EXPECT_EQ(PlasmaTable[32], 17);
    EXPECT_EQ(PlasmaTable[64], 59);
    EXPECT_EQ(PlasmaTable[96], 102);
    EXPECT_EQ(PlasmaTable[120], 118);
    EXPECT_EQ(PlasmaTable[136], 118);
    EXPECT_EQ(PlasmaTable[192], 60);
    EXPECT_EQ(PlasmaTable[248], 1);
    for (int i = 249; i <= 255; ++i) EXPECT_EQ(PlasmaTable[i], 0) << i;
    // The peak is 119 over 121 ... 135 and never reaches 120.
    for (int i = 0; i < 256; ++i) {
        EXPECT_GE(PlasmaTable[i], 0);
        EXPECT_EQ(PlasmaTable[i] == 119, i >= 121 && i <= 135) << i;
    }
}

TEST_F(PlasmaTest, PixelsAtClockZeroAndThousand)
{
    DrawFirstFrame(0);
    EXPECT_EQ(At(0, 0), 0);
    // Phases at 0 are A = 5, B = 9.
    for (int y = 0; y < 200; y += 7)
        for (int x = 0; x < 320; x += 3) ASSERT_EQ(At(x, y), ClosedForm(5, 9, x, y)) << x << "," << y;

    SceneClock = 1000;
    DrawPlasma();
    const uint8_t row0[8] = {35, 39, 45, 51, 57, 63, 68, 74};
    for (int x = 0; x < 8; ++x) EXPECT_EQ(At(x, 0), row0[x]) << x;
    EXPECT_EQ(At(160, 100), 65);
}

TEST_F(PlasmaTest, EveryPixelMatchesClosedFormAndStaysInTableRange)
{
    DrawFirstFrame(0);
    struct Phases {
        uint32_t clock;
        int a0, b0;
    };
    // 11 / 2.2 is 5 in double (4.9999999 with a single 2.2); 33 / 2.2 is
    // just below 15 (15 if the quotient were rounded to single). The last
    // two have quotients near the top of the range.
    const Phases cases[] = {{1, 5, 9},         {11, 10, 13},          {33, 19, 22},
                            {999, 203, 152},   {3064, 117, 210},      {123456789u, 247, 68},
                            {4294967295u, 74, 111}};
    for (const Phases& c : cases) {
        SceneClock = c.clock;
        std::memset(Canvas, 200, sizeof Canvas);
        DrawPlasma();
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 320; ++x) {
                ASSERT_EQ(At(x, y), ClosedForm(c.a0, c.b0, x, y)) << c.clock << " " << x << "," << y;
                ASSERT_LE(At(x, y), 119);
            }
    }
}

TEST_F(PlasmaTest, RespectsAPartialClipRectangle)
{
    DrawFirstFrame(1000);
    uint8_t full[kCanvasSize];
    std::memcpy(full, Canvas, sizeof full);

    // Rows partly clipped on the left and right, some rows outside.
    ClipRect = ClipRectangle{5, 300, 10, 150};
    std::memset(Canvas, 222, sizeof Canvas);
    DrawPlasma();
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 320; ++x) {
            const bool inside = x >= 5 && x <= 300 && y >= 10 && y <= 150;
            ASSERT_EQ(At(x, y), inside ? full[x + 320 * y] : 222) << x << "," << y;
        }

    // Full-width rows but a clip taller than the canvas in rows only.
    ClipRect = ClipRectangle{0, 319, 199, 500};
    std::memset(Canvas, 222, sizeof Canvas);
    DrawPlasma();
    EXPECT_EQ(At(17, 198), 222);
    for (int x = 0; x < 320; ++x) ASSERT_EQ(At(x, 199), full[x + 320 * 199]);

    // An empty clip writes nothing.
    ClipRect = ClipRectangle{1, 0, 0, 199};
    std::memset(Canvas, 222, sizeof Canvas);
    DrawPlasma();
    for (int i = 0; i < kCanvasSize; ++i) ASSERT_EQ(Canvas[i], 222);
}

TEST_F(PlasmaTest, FirstCallWritesBluePaletteThenRests)
{
    MarkPalette();
    DrawFirstFrame(0);
    EXPECT_EQ(PlasmaMode, 0);
    ExpectPaletteEntry(0, 0, 0, 0);
    ExpectPaletteEntry(1, 0, 0, 4);
    ExpectPaletteEntry(63, 0, 0, 252);
    ExpectPaletteEntry(64, 0, 0, 255);
    ExpectPaletteEntry(100, 144, 144, 255);
    ExpectPaletteEntry(127, 252, 252, 255);
    ExpectPaletteEntry(128, 255, 255, 255);
    ExpectPaletteEntry(255, 255, 255, 255);

    // Mode 0: the palette is left alone and the table is not rebuilt.
    MarkPalette();
    PlasmaTable[0] = 0;
    const int32_t entry8 = PlasmaTable[8];
    SceneClock = 50;
    DrawPlasma();
    EXPECT_EQ(PlasmaMode, 0);
    ExpectPaletteEntry(10, 7, 8, 9);
    EXPECT_EQ(PlasmaTable[8], entry8);
}

TEST_F(PlasmaTest, RedRequestWritesRedPaletteOnce)
{
    DrawFirstFrame(0);
    int32_t table[256];
    std::memcpy(table, PlasmaTable, sizeof table);

    PlasmaMode = 2;
    SceneClock = 1530;
    DrawPlasma();
    EXPECT_EQ(PlasmaMode, 3);
    ExpectPaletteEntry(0, 0, 0, 0);
    ExpectPaletteEntry(1, 4, 0, 0);
    ExpectPaletteEntry(63, 252, 0, 0);
    ExpectPaletteEntry(64, 255, 0, 0);
    ExpectPaletteEntry(127, 255, 252, 252);
    ExpectPaletteEntry(200, 255, 255, 255);
    EXPECT_EQ(std::memcmp(table, PlasmaTable, sizeof table), 0);

    MarkPalette();
    SceneClock = 1531;
    DrawPlasma();
    EXPECT_EQ(PlasmaMode, 3);
    ExpectPaletteEntry(1, 7, 8, 9);
}

TEST_F(PlasmaTest, FirstCallInRedModeDrawsAllZero)
{
    PlasmaMode = 2;
    SceneClock = 1000;
    std::memset(Canvas, 99, sizeof Canvas);
    DrawPlasma();
    EXPECT_EQ(PlasmaMode, 3);
    ExpectPaletteEntry(63, 252, 0, 0);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(PlasmaTable[i], 0);
    for (int i = 0; i < kCanvasSize; ++i) ASSERT_EQ(Canvas[i], 0);
}

TEST_F(PlasmaTest, ZeroStateForgetsTableAndMode)
{
    DrawFirstFrame(0);
    ZeroPlasmaState();
    EXPECT_EQ(PlasmaMode, 0);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(PlasmaTable[i], 0);
}

}  // namespace
