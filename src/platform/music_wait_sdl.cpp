#include "platform/music_wait.h"

#include <SDL.h>

namespace zelvik {

// Polls every millisecond: sleeping between polls leaves the processor to
// the audio thread that the wait is for.
bool WaitForMusic(bool (*condition)(), uint32_t milliseconds)
{
    const uint64_t start = SDL_GetTicks64();
    while (!condition()) {
        if (SDL_GetTicks64() - start >= milliseconds) return false;
        SDL_Delay(1);
    }
    return true;
}

}  // namespace zelvik
