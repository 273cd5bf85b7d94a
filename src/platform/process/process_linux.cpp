// Process services on Linux: the monotonic clock, SDL's sleep, and SIGINT,
// SIGTERM and SIGHUP as stop requests.
#include "platform/process/process.h"

#include <SDL.h>

#include <ctime>

#include "driver/stop_signals.h"

namespace zelvik {

uint32_t GetTickCount()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u +
                        static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

void Sleep(uint32_t milliseconds) { SDL_Delay(milliseconds); }

void CatchStopSignals()
{
    // SDL would install handlers of its own for SIGINT and SIGTERM when
    // its event loop starts; ours take their place.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    InstallStopSignalHandlers(/*keepIgnored=*/true, /*secondEndsProcess=*/false);
}

}  // namespace zelvik
