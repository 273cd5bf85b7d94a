// Process services on Windows: the system's own tick count and sleep, the
// end of the process after the window system is let go, and the console's
// control events as stop requests.
#include "platform/process.h"

#include <SDL.h>

#include <cstdlib>

#include "driver/stop_signals.h"

// Last: <windows.h> defines GetTickCount, Sleep and ExitProcess as its own
// functions and many message names as macros.
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

void ExitProcess(int code)
{
    SDL_Quit();
    // std::exit flushes the C streams and runs the exit handlers, then
    // ends the process through the system's ExitProcess.
    std::exit(code);
}

void CatchStopSignals()
{
    // SDL would install handlers of its own when its event loop starts;
    // ours take their place.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    InstallStopSignalHandlers(/*keepIgnored=*/true, /*secondEndsProcess=*/false);
}

}  // namespace zelvik
