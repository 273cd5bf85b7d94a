// Four crackling bolts of light turning around a wandering centre on the
// letterbox band, and the credit captions that drift over two scenes.
//
// Number rules of the bolts: every constant is single precision (3.14 is
// 3.1400001, 1.57 is 1.5700000); arithmetic runs in double; values stored
// as single are rounded there; coordinates truncate toward zero.
#include <cmath>
#include <cstring>

#include "scenes/lightning.h"

#include "canvas/canvas.h"
#include "canvas/sheet_layout.h"
#include "canvas/sprites.h"
#include "driver/clock.h"
#include "driver/random.h"
#include "scenes/scenes.h"

namespace zelvik {

int32_t CreditX[100];
int32_t CreditY[100];
int32_t LastCaptionIndex;
int32_t CaptionCounter;

static constexpr double kPi = static_cast<double>(3.14f);
static constexpr double kQuarterTurn = static_cast<double>(1.57f);

// rand() % 4 - 2: one of -2, -1, 0, +1.
static int32_t Jitter() { return rand() % 4 - 2; }

static float SineWave(double t, float divisor, float amplitude, float middle)
{
    return static_cast<float>(std::sin(t * kPi / static_cast<double>(divisor)) *
                                  static_cast<double>(amplitude) +
                              static_cast<double>(middle));
}

void ComputeLightningShape(uint32_t sceneClock, LightningShape* shape)
{
    const double t = static_cast<double>(sceneClock);
    const float spread1 = SineWave(t, 57.0f, 5.0f, 30.0f);
    const float spread3 = SineWave(t, 43.0f, 5.0f, 30.0f);
    const float radius1 = SineWave(t, 65.0f, 10.0f, 30.0f);
    const float radius2 = SineWave(t, 94.0f, 20.0f, 60.0f);
    const float radius3 = SineWave(t, 71.0f, 10.0f, 30.0f);
    shape->cx = static_cast<int32_t>(std::sin(t * kPi / 93.0) * 70.0 + 160.0);
    shape->cy = static_cast<int32_t>(std::cos(t * kPi / 117.0) * 30.0 + 100.0);
    float angle = static_cast<float>(t * kPi / 100.0);

    // Each bolt is an arrowhead centre-P1-P2-P3-centre pointing outwards at
    // its angle; the four are a quarter turn apart.
    const double centreX = static_cast<double>(shape->cx);
    const double centreY = static_cast<double>(shape->cy);
    const double r1 = radius1, r2 = radius2, r3 = radius3;
    for (int32_t bolt = 0; bolt < 4; ++bolt) {
        const float a1 = static_cast<float>(static_cast<double>(angle) +
                                            static_cast<double>(spread1) * kPi / 180.0);
        const float a3 = static_cast<float>(static_cast<double>(angle) -
                                            static_cast<double>(spread3) * kPi / 180.0);
        shape->p1x[bolt] = static_cast<int32_t>(centreX + r1 * std::cos(static_cast<double>(a1)));
        shape->p1y[bolt] = static_cast<int32_t>(centreY + r1 * std::sin(static_cast<double>(a1)));
        shape->p2x[bolt] = static_cast<int32_t>(centreX + r2 * std::cos(static_cast<double>(angle)));
        shape->p2y[bolt] = static_cast<int32_t>(centreY + r2 * std::sin(static_cast<double>(angle)));
        shape->p3x[bolt] = static_cast<int32_t>(centreX + r3 * std::cos(static_cast<double>(a3)));
        shape->p3y[bolt] = static_cast<int32_t>(centreY + r3 * std::sin(static_cast<double>(a3)));
        angle = static_cast<float>(static_cast<double>(angle) + kQuarterTurn);
    }
}

void DrawLightning()
{
    // The intro faded these to black; the bolts climb up to them.
    SetPaletteEntry(253, 255, 255, 255);
    SetPaletteEntry(254, 255, 255, 255);

    LightningShape shape;
    ComputeLightningShape(SceneClock, &shape);
    const int32_t cx = shape.cx;
    const int32_t cy = shape.cy;

    FillLetterboxMiddle();

    for (int32_t bolt = 0; bolt < 4; ++bolt) {
        const int32_t p1x = shape.p1x[bolt], p1y = shape.p1y[bolt];
        const int32_t p2x = shape.p2x[bolt], p2y = shape.p2y[bolt];
        const int32_t p3x = shape.p3x[bolt], p3y = shape.p3y[bolt];
        // Nine jittered passes add up, so the edges glow and crackle. Every
        // line end gets its own jitter, drawn end point first (y, then x),
        // then start point (y, then x); the centre is never jittered.
        for (int32_t pass = 0; pass < 9; ++pass) {
            int32_t ey = Jitter(), ex = Jitter();
            DrawLineAdd(cx, cy, p1x + ex, p1y + ey, 1);

            ey = Jitter();
            ex = Jitter();
            int32_t sy = Jitter(), sx = Jitter();
            DrawLineAdd(p1x + sx, p1y + sy, p2x + ex, p2y + ey, 1);

            ey = Jitter();
            ex = Jitter();
            sy = Jitter();
            sx = Jitter();
            DrawLineAdd(p2x + sx, p2y + sy, p3x + ex, p3y + ey, 1);

            sy = Jitter();
            sx = Jitter();
            DrawLineAdd(p3x + sx, p3y + sy, cx, cy, 1);
        }
    }

    // The bars cover whatever reached them.
    FillLetterboxBars();
}

void DrawCreditCaption()
{
    // One caption per 352 hundredths, drifting down 1 pixel per 10. The
    // index picks the position; the running counter picks the picture, so
    // pictures follow in sheet order whatever the index.
    const uint32_t u = DemoClock % 35200;
    const int32_t index = static_cast<int32_t>(u / 352);
    const int32_t drift = static_cast<int32_t>((u % 352) / 10);

    if (index != LastCaptionIndex) {
        LastCaptionIndex = index;
        ++CaptionCounter;
        // The show changes captions nine times; a longer run (a clock that
        // jumped, a much longer script) starts over at the first picture
        // rather than cut a rectangle below the sheet's last row.
        const SheetRect r = CaptionRect(CaptionCounter % kCaptionCount);
        SpriteKeyColour = SpriteSheet[kKeyColourOffset];
        DefineSprite(kCaptionSlot, r.x, r.y, r.height, r.width, SpriteKeyColour, SpriteSheet);
    }
    DrawSprite(kCaptionSlot, CreditX[index], CreditY[index] + drift);
}

void ArmCredits()
{
    // In this order within each caption: x, then y.
    for (int32_t i = 0; i < 100; ++i) {
        CreditX[i] = rand() % 200 + 20;
        CreditY[i] = rand() % 90 + 30;
    }
    LastCaptionIndex = -1;
    CaptionCounter = -1;
}

void ZeroCreditState()
{
    std::memset(CreditX, 0, sizeof CreditX);
    std::memset(CreditY, 0, sizeof CreditY);
    LastCaptionIndex = 0;
    CaptionCounter = 0;
}

}  // namespace zelvik
