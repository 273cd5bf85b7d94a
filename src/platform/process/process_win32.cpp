// Process services on Windows: the system's own tick count and sleep, and
// the console's control events as stop requests.
#include "platform/process/process.h"

#include <SDL.h>

#include "driver/stop_signals.h"

// Last: <windows.h> defines GetTickCount and Sleep as its own functions
// and many message names as macros.
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace zelvik {

// Milliseconds since the system started, wrapping every 2^32 ms: the show's
// clock already handles the wrap.
uint32_t GetTickCount() { return static_cast<uint32_t>(::GetTickCount()); }

void Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

void CatchStopSignals()
{
    // SDL would install handlers of its own when its event loop starts;
    // ours take their place.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    InstallStopSignalHandlers(/*keepIgnored=*/true, /*secondEndsProcess=*/false);
}

}  // namespace zelvik
