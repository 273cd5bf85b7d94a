// The show left running: the finale days, weeks and a year into the show,
// every scene routine at scene clocks far beyond its range, and a demo
// clock that wraps past 2^32 hundredths (497 days) back into the script.
// Run in the sanitizer build these also prove the arithmetic free of
// undefined behaviour (overflowing conversions, shifts, signed wrap).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "canvas/canvas.h"
#include "driver/clock.h"
#include "driver/random.h"
#include "show/setup.h"
#include "show/timeline.h"
#include "scenes/intro.h"
#include "scenes/scenes.h"
#include "test_support.h"

using namespace zelvik;
using namespace zelvik_test;

namespace {

constexpr uint32_t kFinaleStart = zelvik::kFinaleStartClock;
constexpr uint32_t kDay = 100u * 60u * 60u * 24u;

// Clocks where wrap-arounds and conversions of large values would show.
constexpr uint32_t kExtremeClocks[] = {kDay,        30 * kDay,   400 * kDay,  0x7FFFFFFFu,
                                       0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu};

class LongRunTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(StartShowWithTestSheet(11)); }

    // The scripted show at a coarse frame rate, so that every range has run
    // and the state is that of a real run when the finale takes over.
    static void PlayScript()
    {
        for (uint32_t t = 0; t < kFinaleStart; t += 97) RenderFrame(t);
        RenderFrame(kFinaleStart);
    }

    static void ExpectPaletteInRange()
    {
        for (int i = 0; i < 256; ++i) {
            ASSERT_TRUE(PaletteRed[i] >= 0 && PaletteRed[i] <= 255) << i;
            ASSERT_TRUE(PaletteGreen[i] >= 0 && PaletteGreen[i] <= 255) << i;
            ASSERT_TRUE(PaletteBlue[i] >= 0 && PaletteBlue[i] <= 255) << i;
        }
    }

    static void ExpectClipRectIsTheCanvas()
    {
        EXPECT_EQ(ClipRect.xMin, 0);
        EXPECT_EQ(ClipRect.xMax, 319);
        EXPECT_EQ(ClipRect.yMin, 0);
        EXPECT_EQ(ClipRect.yMax, 199);
    }

};

}  // namespace

// A finale frame is the ball texture (index 0 and 28-63) with the five text
// lines over it in the text colour, however long the show has run.
TEST_F(LongRunTest, FinaleFrameStaysWholeForDaysAndToTheClocksEnd)
{
    PlayScript();
    ASSERT_EQ(FinaleFirstCall, 0);
    for (uint32_t clock : kExtremeClocks) {
        SCOPED_TRACE(clock);
        RenderFrame(clock);
        EXPECT_EQ(SceneClock, clock - kFinaleStart);
        int textPixels = 0;
        int top = 200, bottom = -1;
        for (int y = 0; y < 200; ++y) {
            for (int x = 0; x < 320; ++x) {
                const uint8_t pixel = Canvas[x + 320 * y];
                if (pixel == TextColour) {
                    ++textPixels;
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                } else {
                    ASSERT_TRUE(pixel == 0 || (pixel >= 28 && pixel <= 63)) << x << "," << y;
                }
            }
        }
        // Five lines of some fifteen glyphs each; the lines lie within
        // y 14 ... 175 plus a glyph's height.
        EXPECT_GT(textPixels, 300);
        EXPECT_GE(top, 14);
        EXPECT_LE(bottom, 175 + 7);
        ExpectPaletteInRange();
    }
}

// The timeline never hands these clocks to the other scenes, but nothing in
// them may depend on that for its safety.
TEST_F(LongRunTest, EverySceneDrawsAtSceneClocksFarPastItsRange)
{
    PlayScript();
    for (uint32_t clock : kExtremeClocks) {
        SCOPED_TRACE(clock);
        SceneClock = clock;
        DemoClock = clock;
        DrawIntroPanels();
        DrawGlyphStrip();
        FadeLetterbox();
        EXPECT_EQ(PaletteRed[kLetterboxBandColour], 0) << "the faded band stays black";
        SlideInLogo();
        DrawLightning();
        DrawCreditCaption();
        ClearCanvas(0);
        DrawTorus(0);
        DrawTorus(10);
        DrawPlasma();
        DrawFinale();
        ExpectPaletteInRange();
        ExpectClipRectIsTheCanvas();
    }
}

// After 2^32 hundredths the demo clock wraps and the script starts over from
// the intro with the state the first pass left. That pass must draw like any
// other: the ranges in order, with their scene clocks, and no harm done.
TEST_F(LongRunTest, ADemoClockThatWrapsRunsTheScriptAgain)
{
    PlayScript();
    for (uint32_t t = 0xFFFFFF00u; t != 0x40u; t += 0x40u) RenderFrame(t);  // across the wrap
    // Each row at its start and at its last clock (the finale 500 on).
    for (int32_t i = 0; i < kScriptRowCount; ++i) {
        const ScriptRow& row = kScript[i];
        uint32_t lastOrigin = row.origin;  // or the clock a step of its own sets
        for (const ScriptStep& step : row.steps) lastOrigin = step.ownOrigin != 0 ? step.ownOrigin : lastOrigin;
        const uint32_t last = i + 1 < kScriptRowCount ? ScriptRowEnd(i) - 1 : row.start + 500;
        for (const uint32_t clock : {row.start, last}) {
            SCOPED_TRACE(clock);
            RenderFrame(clock);
            EXPECT_EQ(SceneClock, clock - lastOrigin);
            ExpectPaletteInRange();
            ExpectClipRectIsTheCanvas();
        }
    }
    for (uint32_t t = 0; t < kFinaleStart + 1000; t += 53) RenderFrame(t);
    ExpectPaletteInRange();
}
