#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "canvas/canvas.h"
#include "driver/clock.h"
#include "driver/random.h"
#include "scenes/finale.h"
#include "scenes/scenes.h"

using namespace zelvik;

namespace {

class FinaleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZeroCanvasState();
        ZeroSceneState();
        ResetCanvas();
        SceneClock = 0;
        zelvik::srand(12345);
    }
    static uint8_t At(int x, int y) { return Canvas[x + 320 * y]; }
    static uint8_t Texel(int row, int column) { return BallTexture[64 * row + column]; }
    // An empty clip rectangle keeps the text off the canvas; the rotozoomer
    // ignores the clip, so what is left is the rotozoomed texture alone.
    static void HideText() { ClipRect = ClipRectangle{0, -1, 0, -1}; }
    static void ExpectSteps(int angle, int ds, int dc)
    {
        const RotozoomSteps steps = ComputeRotozoomSteps(angle);
        EXPECT_EQ(steps.ds, ds) << "angle " << angle;
        EXPECT_EQ(steps.dc, dc) << "angle " << angle;
    }
    // The texel of pixel (x, y) from its closed form: the fixed-point
    // position after x steps right and y steps down, taken modulo 2^16.
    static uint8_t Reference(int angle, int uStart, int vStart, int x, int y)
    {
        const RotozoomSteps s = ComputeRotozoomSteps(angle);
        const uint32_t u = static_cast<uint32_t>(uStart * 256 + x * s.ds + y * 2 * s.dc) & 0xFFFF;
        const uint32_t v = static_cast<uint32_t>(vStart * 256 + x * 2 * s.dc - y * s.ds) & 0xFFFF;
        return Texel((u >> 8) & 63, (v >> 8) & 63);
    }
    static void ExpectMatchesReference(int angle, int uStart, int vStart)
    {
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 320; ++x)
                ASSERT_EQ(At(x, y), Reference(angle, uStart, vStart, x, y))
                    << "angle " << angle << " at " << x << "," << y;
    }
};

TEST_F(FinaleTest, BallTextureIsAShadedDiscCutByTheTile)
{
    BuildBallTexture();
    EXPECT_EQ(Texel(32, 32), 63);
    EXPECT_EQ(Texel(11, 4), 28);  // distance exactly 35
    EXPECT_EQ(Texel(32, 33), 62);
    EXPECT_EQ(Texel(33, 33), 61);  // sqrt 2 rounds up
    EXPECT_EQ(Texel(0, 32), 31);   // tile edge, distance 32
    EXPECT_EQ(Texel(0, 0), 0);     // corner, outside the disc
    int nonZero = 0;
    for (int i = 0; i < 64 * 64; ++i) {
        if (BallTexture[i] == 0) continue;
        ++nonZero;
        EXPECT_GE(BallTexture[i], 28) << i;
        EXPECT_LE(BallTexture[i], 63) << i;
    }
    EXPECT_EQ(nonZero, 3631);
    // Symmetric about the centre row and column.
    for (int r = 1; r < 64; ++r)
        for (int c = 1; c < 64; ++c) {
            ASSERT_EQ(Texel(r, c), Texel(64 - r, c));
            ASSERT_EQ(Texel(r, c), Texel(r, 64 - c));
        }
}

TEST_F(FinaleTest, RotationStepsForTheStatedAngles)
{
    ExpectSteps(0, 0, 256);
    ExpectSteps(13, 57, 249);
    ExpectSteps(90, 255, 0);   // 1.57 rad: sine just below 1, cosine just above 0
    ExpectSteps(180, 0, -255);
    ExpectSteps(400, 163, 196);
    ExpectSteps(-90, -255, 0);
    // The cosine rounds to exactly -1 as a single (-255 if left in double).
    ExpectSteps(1981, 0, -256);
    // dc is 56 if 3.14 is taken as a single.
    ExpectSteps(3679, 249, 57);
}

TEST_F(FinaleTest, TimeAndAngleRoundThroughSingle)
{
    EXPECT_EQ(FinaleTime(0), 0.0f);
    EXPECT_LT(FinaleTime(35), 0.7f + 1e-6f);
    EXPECT_LT(static_cast<double>(FinaleTime(35)), 0.7);
    EXPECT_EQ(FinaleTime(1000), 20.0f);
    // Clock 35 draws angle 13 (not 14), uStart 11, vStart 8.
    zelvik::srand(1);
    FinaleFirstCall = 1;
    HideText();
    SceneClock = 35;
    DrawFinale();
    ExpectMatchesReference(13, 11, 8);
    uint8_t drawn[kCanvasSize];
    std::memcpy(drawn, Canvas, sizeof drawn);
    Rotozoom(14, 11, 8);
    EXPECT_NE(std::memcmp(drawn, Canvas, sizeof drawn), 0);
}

TEST_F(FinaleTest, FirstFrameShowsHalfSizeBalls)
{
    FinaleFirstCall = 1;
    HideText();
    DrawFinale();
    EXPECT_EQ(At(0, 0), 0);
    EXPECT_EQ(At(16, 16), 63);
    // Pixel (x, y) shows texel row 2y, column 2x, repeating every 32 pixels.
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 320; ++x)
            ASSERT_EQ(At(x, y), Texel((2 * y) % 64, (2 * x) % 64)) << x << "," << y;
}

TEST_F(FinaleTest, FrameAtClockThousand)
{
    FinaleFirstCall = 1;
    HideText();
    SceneClock = 1000;
    DrawFinale();
    EXPECT_EQ(At(160, 100), 38);
    ExpectMatchesReference(400, 13, 58);
}

TEST_F(FinaleTest, RotozoomFollowsItsClosedFormAndIgnoresTheClip)
{
    BuildBallTexture();
    HideText();
    for (int angle : {0, 13, 90, 137, 180, 271, 400, -35}) {
        std::memset(Canvas, 5, sizeof Canvas);
        Rotozoom(angle, 21, 63);
        ExpectMatchesReference(angle, 21, 63);
    }
    // Only the low 8 bits of the start offsets take effect.
    Rotozoom(77, 21 + 256, 63 - 512);
    ExpectMatchesReference(77, 21, 63);
}

TEST_F(FinaleTest, FirstCallSetsPaletteRampsOnly)
{
    for (int i = 0; i < 256; ++i) SetPaletteEntry(i, 1, 2, 3);
    FinaleFirstCall = 1;
    DrawFinale();
    EXPECT_EQ(FinaleFirstCall, 0);
    EXPECT_EQ(PaletteRed[0], 0);
    EXPECT_EQ(PaletteGreen[15], 240);
    EXPECT_EQ(PaletteBlue[15], 240);
    for (int i = 16; i < 20; ++i) EXPECT_EQ(PaletteBlue[i], 3) << i;
    EXPECT_EQ(PaletteRed[20], 0);
    EXPECT_EQ(PaletteBlue[20], 80);
    EXPECT_EQ(PaletteBlue[28], 112);
    EXPECT_EQ(PaletteBlue[63], 252);
    EXPECT_EQ(PaletteBlue[64], 3);
    // Later calls leave the palette alone and keep the text colour.
    SetPaletteEntry(30, 9, 9, 9);
    TextColour = 254;
    SceneClock = 10;
    DrawFinale();
    EXPECT_EQ(PaletteBlue[30], 9);
    EXPECT_EQ(TextColour, 254);
}

TEST_F(FinaleTest, LineParametersComeFromFiveDrawsPerLineInOrder)
{
    const uint32_t seeds[] = {0, 1, 12345, 0xDEADBEEF, 4294967295u};
    for (uint32_t seed : seeds) {
        ZeroFinaleState();
        FinaleFirstCall = 1;
        zelvik::srand(seed);
        DrawFinale();
        const uint32_t after = RandomState();

        zelvik::srand(seed);
        for (int i = 0; i < 5; ++i) {
            const int baseX = zelvik::rand() % 50;
            const int ampX = zelvik::rand() % 1500;
            const int ampY = zelvik::rand() % 500;
            const int phaseX = zelvik::rand() % 1000;
            const int phaseY = zelvik::rand() % 1000;
            EXPECT_EQ(LineBaseX[i], static_cast<float>(baseX + 110)) << seed << " " << i;
            EXPECT_EQ(LineBaseY[i], static_cast<float>(35 * i + 25));
            EXPECT_EQ(LineAmpX[i], static_cast<float>(ampX / 80.0 + 15.0)) << seed << " " << i;
            EXPECT_EQ(LineAmpY[i], static_cast<float>(ampY / 80.0 + 4.0)) << seed << " " << i;
            EXPECT_EQ(LinePhaseX[i], static_cast<float>(phaseX / 100.0)) << seed << " " << i;
            EXPECT_EQ(LinePhaseY[i], static_cast<float>(phaseY / 100.0)) << seed << " " << i;
            EXPECT_GE(LineAmpX[i], 15.0f);
            EXPECT_LE(LineAmpX[i], 33.7375f);
            EXPECT_GE(LineAmpY[i], 4.0f);
            EXPECT_LE(LineAmpY[i], 10.2375f);
            EXPECT_GE(LinePhaseX[i], 0.0f);
            EXPECT_LE(LinePhaseY[i], 9.99f);
        }
        // Exactly 25 draws, and none on later calls.
        EXPECT_EQ(after, RandomState()) << seed;
        SceneClock = 99;
        DrawFinale();
        EXPECT_EQ(after, RandomState()) << seed;
    }
}

TEST_F(FinaleTest, TextPositionsStayOnTheCanvas)
{
    // Drawn parameters, over a long stretch of time.
    FinaleFirstCall = 1;
    DrawFinale();
    for (uint32_t clock = 0; clock < 20000; clock += 7) {
        for (int i = 0; i < 5; ++i) {
            const FinaleTextPosition p = FinaleLinePosition(i, FinaleTime(clock));
            ASSERT_GE(p.x, 76);
            ASSERT_LE(p.x, 192);
            // Each line keeps to its own band around its base.
            ASSERT_LE(std::abs(p.y - (35 * i + 25)), 10) << i;
        }
    }
    // The extremes of the parameter ranges, at every phase: x 76 ... 192,
    // y 14 ... 175, so even the longest line (20 cells of 4 pixels) ends on
    // the canvas.
    const float ampX = static_cast<float>(1499 / 80.0 + 15.0);
    const float ampY = static_cast<float>(499 / 80.0 + 4.0);
    const float bases[][2] = {{110, 25}, {159, 165}};
    for (const auto& base : bases) {
        LineBaseX[0] = base[0];
        LineBaseY[0] = base[1];
        LineAmpX[0] = ampX;
        LineAmpY[0] = ampY;
        for (int phase = 0; phase < 1000; ++phase) {
            LinePhaseX[0] = LinePhaseY[0] = static_cast<float>(phase / 100.0);
            const FinaleTextPosition p = FinaleLinePosition(0, 0.0f);
            ASSERT_GE(p.x, 76);
            ASSERT_LE(p.x, 192);
            ASSERT_GE(p.y, 14);
            ASSERT_LE(p.y, 175);
        }
    }
    EXPECT_EQ(std::strlen(FinaleLines[2]), 20u);
}

TEST_F(FinaleTest, HoursIntoTheSceneStillDraws)
{
    FinaleFirstCall = 1;
    HideText();
    DrawFinale();
    // Ten hours, a day, and the largest clock.
    for (uint32_t clock : {3600000u, 8640000u, 4294967295u}) {
        SceneClock = clock;
        DrawFinale();
        const float t = FinaleTime(clock);
        EXPECT_TRUE(std::isfinite(t));
        const int angle = static_cast<int>(static_cast<double>(t) * 20.0);
        EXPECT_GT(angle, 0);
        ExpectMatchesReference(angle, static_cast<int>(clock / 3 % 64), static_cast<int>(clock / 4 % 64));
        for (int i = 0; i < 5; ++i) {
            const FinaleTextPosition p = FinaleLinePosition(i, t);
            EXPECT_GE(p.x, 76);
            EXPECT_LE(p.y, 175);
        }
    }
}

TEST_F(FinaleTest, ZeroStateForgetsSetUp)
{
    FinaleFirstCall = 1;
    DrawFinale();
    ZeroFinaleState();
    EXPECT_EQ(FinaleFirstCall, 0);
    EXPECT_EQ(Texel(32, 32), 0);
    EXPECT_EQ(LineBaseX[0], 0.0f);
    EXPECT_EQ(LineAmpY[4], 0.0f);
    EXPECT_EQ(LinePhaseY[4], 0.0f);
}

}  // namespace
