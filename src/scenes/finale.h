// Pieces of the rotozoomer finale that tests and tools look at on their
// own: the ball texture, the text motion, the time base, the rotation
// steps and the text positions.
#pragma once

#include <cstdint>

namespace zelvik {

extern uint8_t BallTexture[64 * 64];
extern const char FinaleLines[5][50];
extern float LineBaseX[5];
extern float LineBaseY[5];
extern float LineAmpX[5];
extern float LineAmpY[5];
extern float LinePhaseX[5];
extern float LinePhaseY[5];
void BuildBallTexture();
void Rotozoom(int32_t angle, int32_t uStart, int32_t vStart);

// The finale's time t: the scene clock divided by 50 (so in half seconds),
// rounded to single.
float FinaleTime(uint32_t sceneClock);

// 8.8 fixed-point steps of the rotozoomer for an angle in degrees:
// ds = trunc(sin * 256), dc = trunc(cos * 256), sine and cosine as singles.
struct RotozoomSteps {
    int16_t ds;
    int16_t dc;
};
RotozoomSteps ComputeRotozoomSteps(int32_t angle);

// Where DrawFinale puts the text of `line` (0 ... 4) at time t, from the
// motion parameters drawn on the first call.
struct FinaleTextPosition {
    int32_t x;
    int32_t y;
};
FinaleTextPosition FinaleLinePosition(int32_t line, float t);

}  // namespace zelvik
