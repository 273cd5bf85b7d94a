#include "scenes/scenes.h"

namespace zelvik {

void ZeroSceneState()
{
    for (const Scene& scene : kScenes)
        if (scene.zero != nullptr) scene.zero();
}

void ArmScenes()
{
    for (const Scene& scene : kScenes)
        if (scene.arm != nullptr) scene.arm();
}

}  // namespace zelvik
