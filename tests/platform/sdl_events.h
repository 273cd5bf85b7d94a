// Input for the window-system tests, made as the events SDL would deliver.
#pragma once

#include <SDL.h>

#include <cstdlib>

#include "platform/dialog/dialog_testing.h"

namespace test_events {

// Tests run headless: SDL's dummy video driver unless told otherwise.
inline void UseHeadlessDrivers()
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
}

inline SDL_Event MouseButton(bool down, uint32_t windowId, int x, int y)
{
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = windowId;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = 1;
    e.button.x = x;
    e.button.y = y;
    return e;
}

inline SDL_Event MouseMotion(uint32_t windowId, int x, int y)
{
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = windowId;
    e.motion.state = SDL_BUTTON_LMASK;
    e.motion.x = x;
    e.motion.y = y;
    return e;
}

inline SDL_Event Key(bool down, uint32_t windowId, SDL_Keycode key, Uint16 mod = KMOD_NONE)
{
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = windowId;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = key;
    e.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    e.key.keysym.mod = mod;
    return e;
}

inline SDL_Event WindowEvent(uint32_t windowId, SDL_WindowEventID event)
{
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = windowId;
    e.window.event = static_cast<Uint8>(event);
    return e;
}

inline SDL_Event Quit()
{
    SDL_Event e{};
    e.type = SDL_QUIT;
    return e;
}

// Centre of a dialog control in window coordinates.
inline void ItemCentre(zelvik::WindowHandle dialog, int32_t id, int* x, int* y)
{
    zelvik::PixelRect r{};
    zelvik::GetDlgItemRect(dialog, id, &r);
    *x = r.x + r.w / 2;
    *y = r.y + r.h / 2;
}

}  // namespace test_events
