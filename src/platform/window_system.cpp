#include "platform/window_system.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/x11.h"

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

// Whether a Wayland compositor can be there at all: the socket its client
// library would look for. Without one the library is not even asked, since
// it complains on stderr in words of its own.
static bool WaylandMayBeThere()
{
    const char* name = std::getenv("WAYLAND_DISPLAY");
    std::error_code ignored;
    if (name != nullptr && name[0] == '/') return std::filesystem::exists(name, ignored);
    const char* folder = std::getenv("XDG_RUNTIME_DIR");
    if (folder == nullptr || *folder == '\0') return false;
    const std::string socket =
        std::string(folder) + "/" + (name != nullptr && *name != '\0' ? name : "wayland-0");
    return std::filesystem::exists(socket, ignored);
}

bool InitWindowSystem()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return true;
    // SDL would switch the screen saver off for as long as video is up;
    // only the show itself may do that, and only while it runs.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    CatchX11Errors();

    // A driver named in SDL_VIDEODRIVER is the only one tried; otherwise
    // each driver that can show a picture, in SDL's order of preference. A
    // server named by DISPLAY may refuse a connection for a moment when the
    // machine is very busy, so the round is tried three times within about
    // half a second before the display is declared unreachable.
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    const bool named = asked != nullptr && *asked != '\0';
    const int count = SDL_GetNumVideoDrivers();
    const int rounds = std::getenv("DISPLAY") != nullptr ? 3 : 1;
    for (int round = 0; round < rounds; ++round) {
        if (round > 0) SDL_Delay(250);
        if (named) {
            if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
            continue;
        }
        for (int i = 0; i < count; ++i) {
            const char* driver = SDL_GetVideoDriver(i);
            if (driver == nullptr || ShowsNothing(driver)) continue;
            if (std::strcmp(driver, "wayland") == 0 && !WaylandMayBeThere()) continue;
            SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
            if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
        }
    }
    if (named) return false;  // SDL's own reason names the driver
    SDL_SetHint(SDL_HINT_VIDEODRIVER, nullptr);
    SDL_SetError("no display reachable (no X server at DISPLAY=%s, no Wayland compositor at "
                 "WAYLAND_DISPLAY=%s)",
                 std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "(unset)",
                 std::getenv("WAYLAND_DISPLAY") ? std::getenv("WAYLAND_DISPLAY") : "(unset)");
    return false;
}

void SetCursor(const void* cursor) { SDL_ShowCursor(cursor == nullptr ? SDL_DISABLE : SDL_ENABLE); }

uint32_t VirtualKeyFromSdl(int32_t key)
{
    if (key >= SDLK_a && key <= SDLK_z) return static_cast<uint32_t>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return static_cast<uint32_t>(key);
    if (key >= SDLK_F1 && key <= SDLK_F12) return 0x70u + static_cast<uint32_t>(key - SDLK_F1);
    switch (key) {
    case SDLK_BACKSPACE: return 0x08;
    case SDLK_TAB: return VK_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_LEFT: return 0x25;
    case SDLK_UP: return 0x26;
    case SDLK_RIGHT: return 0x27;
    case SDLK_DOWN: return 0x28;
    default: return 0;
    }
}

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
