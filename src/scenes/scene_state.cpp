#include "scenes/scenes.h"

#include "scenes/finale.h"
#include "scenes/lightning.h"
#include "scenes/plasma.h"
#include "scenes/torus.h"

namespace zelvik {

void ZeroSceneState()
{
    ZeroCreditState();
    ZeroTorusState();
    ZeroPlasmaState();
    ZeroFinaleState();
}

}  // namespace zelvik
