// Placeholder until the plasma scene lands.
#include "scenes/scenes.h"

namespace zelvik {

int32_t PlasmaTable[256];
int32_t PlasmaMode;

void DrawPlasma() {}
void ZeroPlasmaState() {}

}  // namespace zelvik
