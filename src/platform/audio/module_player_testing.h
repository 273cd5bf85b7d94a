// The module player's settings and state for its tests.
#pragma once

#include <cstdint>

#include "platform/audio/module_player.h"

namespace zelvik {

// Frames per output buffer to ask for when BASSMOD_Init next opens the
// output (a power of two, 256 ... 32768); 0 for the default, which is the
// smallest power of two of at least 40 ms.
void SetPlayerBufferFrames(uint32_t frames);

// Frames per buffer of the open output; 0 when none is open.
uint32_t PlayerBufferFrames();

// The output back end's id of the open output (SDL's device id on SDL);
// 0 when none is open.
uint32_t PlayerOutputDevice();

// Where the loaded module's rendering has got to, in seconds; 0 when none.
double PlayerModulePosition();

}  // namespace zelvik
