// The closing scene: a tiled texture of shaded balls, rotated and zoomed to
// fill the whole canvas, with five lines of text swaying over it on slow
// sine paths. The first call sets up the palette, the text motion and the
// texture; every call redraws the full frame from the scene clock.
#include "scenes/finale.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "canvas/canvas.h"
#include "canvas/font.h"
#include "driver/clock.h"
#include "driver/random.h"
#include "scenes/scenes.h"

namespace zelvik {

int32_t FinaleFirstCall;
uint8_t BallTexture[64 * 64];

// Fixed 50-byte slots; the leading spaces are part of the text.
const char FinaleLines[5][50] = {
    "    -= Zelvik =-",
    " + By Quillomarth +",
    "Tamberol: Brelm, Gfx",
    "    Jorp: Muzix",
    "    See you l8r!",
};

float LineBaseX[5];
float LineBaseY[5];
float LineAmpX[5];
float LineAmpY[5];
float LinePhaseX[5];
float LinePhaseY[5];

float FinaleTime(uint32_t sceneClock)
{
    return static_cast<float>(static_cast<double>(sceneClock) / static_cast<double>(50.0f));
}

RotozoomSteps ComputeRotozoomSteps(int32_t angle)
{
    const double a = static_cast<double>(angle) * 3.14 / 180.0;
    const float s = static_cast<float>(std::sin(a));
    const float co = static_cast<float>(std::cos(a));
    // |s|, |co| <= 1, so both products lie within -256 ... 256.
    return RotozoomSteps{static_cast<int16_t>(static_cast<int32_t>(static_cast<double>(s) * 256.0)),
                         static_cast<int16_t>(static_cast<int32_t>(static_cast<double>(co) * 256.0))};
}

FinaleTextPosition FinaleLinePosition(int32_t line, float t)
{
    const double time = t;
    const float x = static_cast<float>(
        static_cast<double>(LineBaseX[line]) +
        static_cast<double>(LineAmpX[line]) * std::sin(time + static_cast<double>(LinePhaseX[line])));
    const float y = static_cast<float>(
        static_cast<double>(LineBaseY[line]) +
        static_cast<double>(LineAmpY[line]) * std::sin(time + static_cast<double>(LinePhaseY[line])));
    // Bases and amplitudes keep x within 76 ... 193 and y within 14 ... 176.
    return FinaleTextPosition{static_cast<int32_t>(x), static_cast<int32_t>(y)};
}

// Draws the five lines' motion parameters, five random numbers per line in
// a fixed order, so a given seed always gives the same motion.
static void DrawLineParameters()
{
    for (int32_t i = 0; i < 5; ++i) {
        LineBaseX[i] = static_cast<float>(rand() % 50 + 110);
        LineBaseY[i] = static_cast<float>(35 * i + 25);
        const int32_t ampX = rand() % 1500;
        LineAmpX[i] = static_cast<float>(static_cast<double>(ampX) / static_cast<double>(80.0f) +
                                         static_cast<double>(15.0f));
        const int32_t ampY = rand() % 500;
        LineAmpY[i] = static_cast<float>(static_cast<double>(ampY) / static_cast<double>(80.0f) +
                                         static_cast<double>(4.0f));
        const int32_t phaseX = rand() % 1000;
        LinePhaseX[i] = static_cast<float>(static_cast<double>(phaseX) / static_cast<double>(100.0f));
        const int32_t phaseY = rand() % 1000;
        LinePhaseY[i] = static_cast<float>(static_cast<double>(phaseY) / static_cast<double>(100.0f));
    }
}

void BuildBallTexture()
{
    for (int32_t i = 0; i < 64; ++i) {
        for (int32_t j = 0; j < 64; ++j) {
            const float dx = static_cast<float>(i - 32);
            const float dy = static_cast<float>(j - 32);
            const double d = std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
            // The disc of radius 35 is cut by the tile's sides, so
            // neighbouring balls touch when the texture is tiled.
            if (d <= 35.0)
                BallTexture[64 * i + j] =
                    static_cast<uint8_t>(static_cast<int32_t>(63.0 - static_cast<float>(d)));
        }
    }
}

void Rotozoom(int32_t angle, int32_t uStart, int32_t vStart)
{
    const RotozoomSteps steps = ComputeRotozoomSteps(angle);
    // U picks the texture row and V the column, in 8.8 fixed point. They are
    // 16-bit quantities; keeping them in 32-bit registers changes none of
    // the low 16 bits, and only bits 8 ... 13 select a texel, so the
    // wrap-around is invisible and the texture tiles every 64 texels.
    const uint32_t ds = static_cast<uint32_t>(static_cast<int32_t>(steps.ds));
    const uint32_t dc2 = static_cast<uint32_t>(2 * static_cast<int32_t>(steps.dc));
    uint32_t u = (static_cast<uint32_t>(uStart) & 255) << 8;
    uint32_t v = (static_cast<uint32_t>(vStart) & 255) << 8;
    // Each row in two passes: the texel offsets, plain 32-bit arithmetic
    // the compiler does several pixels at a time, then the lookups, two
    // offsets read as one word (a shape it leaves scalar, which is faster
    // than its emulated vector gathers).
    alignas(16) uint32_t texel[kCanvasWidth];
    uint8_t* out = Canvas;
    for (int32_t y = 0; y < kCanvasHeight; ++y) {
        uint32_t pu = u;
        uint32_t pv = v;
        for (int32_t x = 0; x < kCanvasWidth; ++x) {
            // Row (pu >> 8) & 63 times 64 is (pu >> 2) & 0xFC0.
            texel[x] = ((pu >> 2) & 0xFC0) | ((pv >> 8) & 63);
            pu += ds;
            pv += dc2;
        }
        for (int32_t x = 0; x < kCanvasWidth; x += 2) {
            uint64_t two;
            std::memcpy(&two, texel + x, 8);
            const bool little = std::endian::native == std::endian::little;
            out[x] = BallTexture[static_cast<uint32_t>(little ? two : two >> 32)];
            out[x + 1] = BallTexture[static_cast<uint32_t>(little ? two >> 32 : two)];
        }
        out += kCanvasWidth;
        u += dc2;
        v -= ds;
    }
}

void DrawFinale()
{
    const uint32_t k = SceneClock;
    const float t = FinaleTime(k);

    if (FinaleFirstCall != 0) {
        FinaleFirstCall = 0;
        for (int32_t i = 0; i < 16; ++i) SetPaletteEntry(i, 16 * i, 16 * i, 16 * i);
        // Entries 16 ... 19 keep whatever an earlier scene left there.
        for (int32_t i = 20; i < 64; ++i) SetPaletteEntry(i, 0, 0, 4 * i);
        DrawLineParameters();
        BuildBallTexture();
    }

    // Even the largest clock gives t * 20 below 2^31.
    const int32_t angle = static_cast<int32_t>(static_cast<double>(t) * 20.0);
    Rotozoom(angle, static_cast<int32_t>(k / 3 % 64), static_cast<int32_t>(k / 4 % 64));

    // The text colour is left as the earlier scenes set it.
    for (int32_t i = 0; i < 5; ++i) {
        const FinaleTextPosition at = FinaleLinePosition(i, t);
        DrawString(at.x, at.y, FinaleLines[i]);
    }
}

void ArmFinale() { FinaleFirstCall = 1; }

void ZeroFinaleState()
{
    FinaleFirstCall = 0;
    std::memset(BallTexture, 0, sizeof BallTexture);
    std::memset(LineBaseX, 0, sizeof LineBaseX);
    std::memset(LineBaseY, 0, sizeof LineBaseY);
    std::memset(LineAmpX, 0, sizeof LineAmpX);
    std::memset(LineAmpY, 0, sizeof LineAmpY);
    std::memset(LinePhaseX, 0, sizeof LinePhaseX);
    std::memset(LinePhaseY, 0, sizeof LinePhaseY);
}

}  // namespace zelvik
