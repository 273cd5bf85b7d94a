#include "platform/process/process.h"

#include <SDL.h>
#include <emscripten.h>

#include <cmath>

namespace zelvik {

// The browser's monotonic clock (performance.now) counted from the page's
// fixed time origin, in whole milliseconds: like a system's tick count it
// does not start at zero, and it wraps every 2^32 ms like one.
uint32_t GetTickCount()
{
    const double now = EM_ASM_DOUBLE({ return performance.timeOrigin + performance.now(); });
    return static_cast<uint32_t>(static_cast<uint64_t>(std::floor(now)));
}

// A page cannot sleep without stopping the browser; the few waits the show
// asks for are spent with SDL's own delay.
void Sleep(uint32_t milliseconds) { SDL_Delay(milliseconds); }

// No signals reach a page.
void CatchStopSignals() {}

}  // namespace zelvik
