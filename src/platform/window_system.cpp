#include "platform/window_system.h"

#include <SDL.h>

namespace zelvik {

const char* WindowSystemError() { return SDL_GetError(); }
void ClearWindowSystemError() { SDL_ClearError(); }

bool InitWindowSystem()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return true;
    // SDL would switch the screen saver off for as long as video is up;
    // only the show itself may do that, and only while it runs.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
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
