#include <gtest/gtest.h>

#include "canvas/canvas.h"
#include "canvas/sheet_layout.h"
#include "canvas/sprites.h"
#include "driver/clock.h"
#include "driver/random.h"
#include "show/setup.h"
#include "show/timeline.h"
#include "scenes/lightning.h"
#include "scenes/scenes.h"
#include "test_support.h"

using namespace zelvik;
using namespace zelvik_test;

namespace {

class LightningTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZeroEverything();
        ResetCanvas();
        for (int i = 130; i < 256; ++i) SetPaletteEntry(i, 1, 1, 1);
    }
};

TEST_F(LightningTest, ShapeAtTheCheckClocks)
{
    LightningShape s;
    ComputeLightningShape(0, &s);
    EXPECT_EQ(s.cx, 160);
    EXPECT_EQ(s.cy, 130);
    EXPECT_EQ(s.p1x[0], 185);
    EXPECT_EQ(s.p1y[0], 144);
    EXPECT_EQ(s.p2x[0], 220);
    EXPECT_EQ(s.p2y[0], 130);
    EXPECT_EQ(s.p3x[0], 185);
    EXPECT_EQ(s.p3y[0], 115);
    EXPECT_EQ(s.p2x[1], 160);
    EXPECT_EQ(s.p2y[1], 189);

    ComputeLightningShape(100, &s);
    EXPECT_EQ(s.cx, 143);
    EXPECT_EQ(s.cy, 73);
    // angle 3.14: bolt 0 points left at radius 2 (sin(3.14*100/94)*20 + 60).
    EXPECT_LT(s.p2x[0], s.cx);
}

TEST_F(LightningTest, DrawsTakeExactly432RandomNumbersAndLeaveTheBarsClean)
{
    zelvik::srand(1234);
    for (int i = 0; i < 432; ++i) zelvik::rand();
    const uint32_t expected = RandomState();

    zelvik::srand(1234);
    SceneClock = 0;
    DrawLightning();
    EXPECT_EQ(RandomState(), expected);

    for (int y : {0, 15, 184, 199})
        for (int x = 0; x < 320; ++x) ASSERT_EQ(Canvas[x + 320 * y], 128) << x << "," << y;
    EXPECT_EQ(PaletteRed[253], 255);
    EXPECT_EQ(PaletteBlue[254], 255);
    // 72 line ends meet at the unjittered centre: 129 + 72.
    EXPECT_GE(Canvas[160 + 320 * 130], 201);
}

TEST_F(LightningTest, JitterMovesPointsAtMostTwoLeftOrUpAndOneRightOrDown)
{
    // Over many frames, the bolts' pixels stay inside the unjittered shape's
    // bounding box widened by 2 to the left/top and 1 to the right/bottom.
    for (uint32_t t : {0u, 37u, 250u, 999u}) {
        LightningShape s;
        ComputeLightningShape(t, &s);
        int xMin = s.cx, xMax = s.cx, yMin = s.cy, yMax = s.cy;
        for (int b = 0; b < 4; ++b)
            for (auto [x, y] : {std::pair{s.p1x[b], s.p1y[b]}, {s.p2x[b], s.p2y[b]}, {s.p3x[b], s.p3y[b]}}) {
                xMin = std::min(xMin, x);
                xMax = std::max(xMax, x);
                yMin = std::min(yMin, y);
                yMax = std::max(yMax, y);
            }
        for (uint32_t seed = 0; seed < 20; ++seed) {
            zelvik::srand(seed);
            SceneClock = t;
            DrawLightning();
            for (int y = 16; y < 184; ++y)
                for (int x = 0; x < 320; ++x)
                    if (Canvas[x + 320 * y] != 129) {
                        ASSERT_GE(x, xMin - 2);
                        ASSERT_LE(x, xMax + 1);
                        ASSERT_GE(y, yMin - 2);
                        ASSERT_LE(y, yMax + 1);
                    }
        }
    }
}

class CaptionTest : public LightningTest {
protected:
    void SetUp() override
    {
        LightningTest::SetUp();
        FillTestSheet();
        zelvik::srand(42);
        for (int i = 0; i < 100; ++i) {
            CreditX[i] = zelvik::rand() % 200 + 20;
            CreditY[i] = zelvik::rand() % 90 + 30;
        }
        LastCaptionIndex = -1;
        CaptionCounter = -1;
    }
    static void Caption(uint32_t demoClock)
    {
        DemoClock = demoClock;
        ClearCanvas(0);
        DrawCreditCaption();
    }
    // Top-left corner of the caption drawn in the given colour.
    static std::pair<int, int> Corner(uint8_t colour)
    {
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 320; ++x)
                if (Canvas[x + 320 * y] == colour) return {x, y};
        return {-1, -1};
    }
};

TEST_F(CaptionTest, CaptionsChangeEvery352HundredthsAndDrift)
{
    Caption(2520);  // the first call defines the slot from sheet rows 0-19
    EXPECT_EQ(SpriteTable[kCaptionSlot].srcY, 0);
    EXPECT_EQ(SpriteTable[kCaptionSlot].key, kTestKey);
    EXPECT_EQ(Corner(CaptionColour(0)), (std::pair{CreditX[7], CreditY[7] + 5}));

    Caption(2815);  // caption 0 at its lowest point
    EXPECT_EQ(Corner(CaptionColour(0)), (std::pair{CreditX[7], CreditY[7] + 35}));
    EXPECT_EQ(CaptionCounter, 0);

    Caption(2816);  // next index, next picture, drift 0
    EXPECT_EQ(SpriteTable[kCaptionSlot].srcY, 21);
    EXPECT_EQ(CaptionCounter, 1);
    EXPECT_EQ(Corner(CaptionColour(1)), (std::pair{CreditX[8], CreditY[8]}));

    // The same clock twice defines the slot once and draws the same caption.
    Caption(2816);
    EXPECT_EQ(CaptionCounter, 1);
    EXPECT_EQ(Corner(CaptionColour(1)), (std::pair{CreditX[8], CreditY[8]}));
}

// The script's ranges with credits, one after the other: each begins with
// the picture after the last one shown, and together they show every
// caption of the sheet once, in sheet order, the last at its place.
TEST_F(CaptionTest, TheScriptsCreditRangesShowEveryCaptionOnce)
{
    int32_t ranges = 0;
    for (int32_t i = 0; i < kScriptRowCount; ++i) {
        bool credits = false;
        for (const ScriptStep& step : kScript[i].steps) credits = credits || step.run == DrawCreditCaption;
        if (!credits) continue;
        SCOPED_TRACE(kScript[i].name);
        ++ranges;
        const int32_t before = CaptionCounter;
        Caption(kScript[i].start);
        EXPECT_EQ(CaptionCounter, before + 1);
        EXPECT_EQ(SpriteTable[kCaptionSlot].srcY, CaptionRect(CaptionCounter).y);
        const auto [x, y] = Corner(CaptionColour(CaptionCounter));
        EXPECT_EQ(x, CreditX[LastCaptionIndex]);
        EXPECT_GE(y, CreditY[LastCaptionIndex]);
        for (uint32_t clock = kScript[i].start; clock < ScriptRowEnd(i); clock += 7) Caption(clock);
    }
    EXPECT_GT(ranges, 0);
    EXPECT_EQ(CaptionCounter, kCaptionCount - 1);
    EXPECT_EQ(SpriteTable[kCaptionSlot].srcY, CaptionRect(kCaptionCount - 1).y);
}

TEST_F(CaptionTest, MoreCaptionChangesThanTheSheetHoldsNeverReadPastIt)
{
    for (uint32_t index = 0; index < 30; ++index) {
        Caption(index * 352);
        ASSERT_LE(SpriteTable[kCaptionSlot].srcY + SpriteTable[kCaptionSlot].height, 200) << index;
    }
}

}  // namespace
