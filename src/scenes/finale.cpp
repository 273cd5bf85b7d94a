// Placeholder until the finale scene lands.
#include "scenes/scenes.h"

namespace zelvik {

int32_t FinaleFirstCall;
uint8_t BallTexture[64 * 64];
const char FinaleLines[5][50] = {};
float LineBaseX[5];
float LineBaseY[5];
float LineAmpX[5];
float LineAmpY[5];
float LinePhaseX[5];
float LinePhaseY[5];

void DrawFinale() {}
void BuildBallTexture() {}
void Rotozoom(int32_t, int32_t, int32_t) {}
void ZeroFinaleState() {}

}  // namespace zelvik
