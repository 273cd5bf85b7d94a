#include <gtest/gtest.h>

#include <utility>

#include "canvas/canvas.h"
#include "canvas/sheet_layout.h"
#include "canvas/sprites.h"
#include "driver/clock.h"
#include "driver/random.h"
#include "scenes/torus.h"
#include "show/setup.h"
#include "show/timeline.h"
#include "scenes/scenes.h"
#include "test_support.h"

using namespace zelvik;
using namespace zelvik_test;

namespace {

class TimelineTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(StartShowWithTestSheet(7)); }
    static void At(uint32_t clock)
    {
        DemoClock = clock;
        RunTimeline();
    }
    static bool CanvasHas(uint8_t colour)
    {
        for (uint8_t pixel : Canvas)
            if (pixel == colour) return true;
        return false;
    }
};

TEST_F(TimelineTest, SetUpPreparesPaletteSlotsAndCaptions)
{
    EXPECT_EQ(SpriteKeyColour, kTestKey);
    EXPECT_EQ(SpriteTable[kLogoSlot].srcX, 161);
    EXPECT_EQ(SpriteTable[kLogoSlot].width, 159);
    EXPECT_EQ(SpriteTable[3].srcY, 7);
    EXPECT_EQ(SpriteTable[6].srcY, 115);
    EXPECT_EQ(PaletteRed[130], 128);
    EXPECT_EQ(PaletteRed[141], 238);
    EXPECT_EQ(PaletteGreen[142], 255);
    EXPECT_EQ(PaletteBlue[252], 255);
    EXPECT_EQ(PaletteRed[253], 200);
    EXPECT_EQ(PaletteRed[255], 255);  // the sheet's own entry 255
    EXPECT_EQ(PaletteRed[10], 10);    // the sheet's colour table
    EXPECT_EQ(PaletteGreen[10], 245);
    EXPECT_EQ(TorusVertexCount, 600);
    EXPECT_EQ(LastCaptionIndex, -1);
    EXPECT_EQ(CaptionCounter, -1);
    EXPECT_EQ(PlasmaMode, 1);
    EXPECT_EQ(FinaleFirstCall, 1);

    // Caption positions, x then y from each draw after seed 7: worked out
    // by hand from the generator (state * 214013 + 2531011, bits 16-30).
    const std::pair<int32_t, int32_t> kStated[] = {{81, 82}, {35, 50}, {141, 66}, {172, 34}};
    for (int i = 0; i < 4; ++i) EXPECT_EQ((std::pair{CreditX[i], CreditY[i]}), kStated[i]) << i;
    EXPECT_EQ((std::pair{CreditX[99], CreditY[99]}), (std::pair<int32_t, int32_t>{93, 50}));
    for (int i = 0; i < 100; ++i) {
        EXPECT_TRUE(CreditX[i] >= 20 && CreditX[i] < 220) << i;
        EXPECT_TRUE(CreditY[i] >= 30 && CreditY[i] < 120) << i;
    }
}

// Every row from its first clock on, the one before it up to the clock
// before: each with its own scene clock (or, with a step of its own clock,
// that step's, which it leaves set).
TEST_F(TimelineTest, EachRowRunsFromItsStartOnItsOwnSceneClock)
{
    auto lastOrigin = [](const ScriptRow& row) {
        uint32_t origin = row.origin;
        for (const ScriptStep& step : row.steps) origin = step.ownOrigin != 0 ? step.ownOrigin : origin;
        return origin;
    };
    for (int32_t i = 1; i < kScriptRowCount; ++i) {
        const ScriptRow& row = kScript[i];
        const ScriptRow& before = kScript[i - 1];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(&ScriptRowAt(row.start - 1), &before);
        EXPECT_EQ(&ScriptRowAt(row.start), &row);
        EXPECT_NE(row.steps[0].run, nullptr);
        At(row.start - 1);
        EXPECT_EQ(SceneClock, row.start - 1 - lastOrigin(before));
        At(row.start);
        EXPECT_EQ(SceneClock, row.start - lastOrigin(row));
    }
}

TEST_F(TimelineTest, IntroEndsAndLightningBegins)
{
    const uint32_t lightning = ScriptRowNamed("lightning + credits").start;
    At(lightning - 1);
    EXPECT_EQ(PaletteRed[253], 0);  // the intro's fade, at its end
    EXPECT_EQ(CaptionCounter, -1);
    At(lightning);
    EXPECT_EQ(PaletteRed[253], 255);  // the lightning resets it
    EXPECT_EQ(CaptionCounter, 0);
    EXPECT_TRUE(CanvasHas(CaptionColour(0)));
}

TEST_F(TimelineTest, FirstTorusRangeRewritesItsPaletteEveryFrame)
{
    const ScriptRow& blueBars = ScriptRowNamed("torus, blue bars");
    const uint32_t next = ScriptRowNamed("torus on band").start;
    At(blueBars.start);
    EXPECT_EQ(PaletteBlue[128], 255);
    SetPaletteEntry(128, 1, 2, 3);
    SetPaletteEntry(129, 1, 2, 3);
    At(next - 1);
    EXPECT_EQ(PaletteBlue[128], 255);
    EXPECT_EQ(PaletteRed[128], 0);
    EXPECT_EQ(PaletteRed[129], 128);
    EXPECT_EQ(PaletteRed[254], 255);
    SetPaletteEntry(128, 1, 2, 3);
    At(next);  // the next range leaves the palette alone
    EXPECT_EQ(PaletteRed[128], 1);
}

TEST_F(TimelineTest, LogoSlidesInOnlyAfterItsOwnClockStarts)
{
    const ScriptRow& slide = ScriptRowNamed("torus + logo slide");
    uint32_t logoClock = 0;
    for (const ScriptStep& step : slide.steps)
        if (step.run == SlideInLogo) logoClock = step.ownOrigin;
    ASSERT_GT(logoClock, slide.start);
    // Looked for over the bottom bar, where the torus cannot reach.
    At(logoClock);
    EXPECT_EQ(Canvas[316 + 320 * 190], 128);
    At(logoClock + 1);
    EXPECT_EQ(SceneClock, 1u);
    EXPECT_EQ(Canvas[316 + 320 * 190], SlotColour(kLogoSlot));
    EXPECT_EQ(Canvas[315 + 320 * 190], 128);
    At(ScriptRowNamed("torus + credits + logo").start);  // the logo at rest, with the credits
    EXPECT_EQ(Canvas[161 + 320 * 160], SlotColour(kLogoSlot));
}

TEST_F(TimelineTest, RedPlasmaIsRequestedUnlessAlreadyRed)
{
    const uint32_t red = ScriptRowNamed("red plasma + torus").start;
    At(ScriptRowNamed("blue plasma").start);  // first plasma frame: table and blue scheme
    EXPECT_EQ(PlasmaMode, 0);
    EXPECT_EQ(PaletteBlue[63], 252);
    At(red - 1);
    EXPECT_EQ(PlasmaMode, 0);
    At(red);  // asked for red, and the plasma switches in the same frame
    EXPECT_EQ(PlasmaMode, 3);
    EXPECT_EQ(PaletteRed[63], 252);
    EXPECT_EQ(PaletteBlue[63], 0);
    SetPaletteEntry(63, 1, 1, 1);
    At(red + 1);  // stays red; the palette is not written again
    EXPECT_EQ(PlasmaMode, 3);
    EXPECT_EQ(PaletteRed[63], 1);
}

TEST_F(TimelineTest, FinaleRunsForHoursPastTheScript)
{
    At(kFinaleStartClock);
    EXPECT_EQ(SceneClock, 0u);
    EXPECT_EQ(FinaleFirstCall, 0);
    const uint32_t hoursLater = kFinaleStartClock + 100u * 3600u * 30u;
    At(hoursLater);
    EXPECT_EQ(SceneClock, hoursLater - kFinaleStartClock);
    At(0xFFFFFFFFu);
    EXPECT_EQ(SceneClock, 0xFFFFFFFFu - kFinaleStartClock);
}

TEST_F(TimelineTest, RenderFrameSetsTheClockAndExpandsTheCanvas)
{
    RenderFrame(1234);
    EXPECT_EQ(DemoClock, 1234u);
    for (int i : {0, 5000, 32000, 63999}) {
        const uint8_t k = Canvas[i];
        EXPECT_EQ(TrueColourFrame[i], (static_cast<uint32_t>(PaletteRed[k]) << 16) |
                                          (static_cast<uint32_t>(PaletteGreen[k]) << 8) |
                                          static_cast<uint32_t>(PaletteBlue[k]));
    }
}

}  // namespace
