// Placeholder until the lightning scene lands.
#include "scenes/scenes.h"

namespace zelvik {

int32_t CreditX[100];
int32_t CreditY[100];
int32_t LastCaptionIndex;
int32_t CaptionCounter;

void DrawLightning() {}
void DrawCreditCaption() {}
void ZeroCreditState() {}

}  // namespace zelvik
