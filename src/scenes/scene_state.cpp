#include "scenes/scenes.h"

namespace zelvik {

void ZeroSceneState()
{
    ZeroCreditState();
    ZeroTorusState();
    ZeroPlasmaState();
    ZeroFinaleState();
}

}  // namespace zelvik
