#include "platform/window/window_system.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

#include "platform/window/window_policy.h"

namespace zelvik {

const char* WindowSystemError() { return SDL_GetError(); }
void ClearWindowSystemError() { SDL_ClearError(); }

// SDL's drivers that show nothing on any screen. SDL falls back to one of
// them when no display is reachable, and the show would then run unseen;
// they are used only when SDL_VIDEODRIVER names them (tests).
static bool ShowsNothing(const char* driver)
{
    return std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0 ||
           std::strcmp(driver, "evdev") == 0;
}

bool InitWindowSystem()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return true;
    // SDL would switch the screen saver off for as long as video is up;
    // only the show itself may do that, and only while it runs.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    PrepareVideoStart();

    // A driver named in SDL_VIDEODRIVER is the only one tried; otherwise
    // each driver that can show a picture, the system's preferred one first
    // and then SDL's order, for as many rounds as the system wants before
    // the display is declared unreachable.
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    const bool named = asked != nullptr && *asked != '\0';
    const int count = SDL_GetNumVideoDrivers();
    const int rounds = VideoStartRounds();
    for (int round = 0; round < rounds; ++round) {
        if (round > 0) SDL_Delay(250);
        if (named) {
            if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
            continue;
        }
        const char* preferred = PreferredVideoDriver();
        for (int i = -1; i < count; ++i) {
            const char* driver = i < 0 ? preferred : SDL_GetVideoDriver(i);
            if (driver == nullptr || ShowsNothing(driver)) continue;
            if (i >= 0 && preferred != nullptr && std::strcmp(driver, preferred) == 0) continue;
            if (!VideoDriverMayWork(driver)) continue;
            SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
            if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
        }
    }
    if (named) return false;  // SDL's own reason names the driver
    SDL_SetHint(SDL_HINT_VIDEODRIVER, nullptr);
    ExplainNoDisplay();
    return false;
}

void QuitWindowSystem() { SDL_Quit(); }

void SetCursor(const void* cursor) { SDL_ShowCursor(cursor == nullptr ? SDL_DISABLE : SDL_ENABLE); }

uint32_t GetSdlWindowId(WindowHandle window)
{
    return window && window->sdlWindow ? SDL_GetWindowID(window->sdlWindow) : 0;
}

WindowHandle AttachWindowHandle(SDL_Window* window) { return new Window{window, nullptr}; }

void DetachWindowHandle(WindowHandle window)
{
    if (window && window->dialog == nullptr) delete window;  // dialogs go through DestroyDialog
}

}  // namespace zelvik
