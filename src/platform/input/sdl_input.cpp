#include "platform/input/sdl_input.h"

#include <SDL.h>

namespace zelvik {

static WindowProc Proc;
static SDL_Window* InputWindow;
static WindowHandle Handle;
static bool SawActivation;
static bool CursorMessagePending;

void SetDisplayWindowProc(WindowProc proc) { Proc = proc; }

void StartWindowInput(SDL_Window* window, WindowHandle handle)
{
    InputWindow = window;
    Handle = handle;
    SawActivation = false;
    CursorMessagePending = true;  // the pointer is over the window from the start
}

void StopWindowInput()
{
    InputWindow = nullptr;
    Handle = nullptr;
}

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

static void Deliver(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (Proc) Proc(Handle, message, wParam, lParam);
}

static void TranslateWindowEvent(const SDL_WindowEvent& e, DisplayEventNotes* notes)
{
    if (e.windowID != SDL_GetWindowID(InputWindow)) return;
    switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE: Deliver(WM_CLOSE, 0, 0); break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_RESTORED:
        SawActivation = true;
        Deliver(WM_ACTIVATEAPP, 1, 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
    case SDL_WINDOWEVENT_MINIMIZED:
        SawActivation = true;
        Deliver(WM_ACTIVATEAPP, 0, 0);
        break;
    case SDL_WINDOWEVENT_ENTER: CursorMessagePending = true; break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: notes->surfaceChanged = true; break;
    case SDL_WINDOWEVENT_EXPOSED: notes->exposed = true; break;
    default: break;
    }
}

static void Translate(const SDL_Event& e, DisplayEventNotes* notes)
{
    switch (e.type) {
    case SDL_QUIT: Deliver(WM_CLOSE, 0, 0); break;
    case SDL_WINDOWEVENT: TranslateWindowEvent(e.window, notes); break;
    case SDL_MOUSEMOTION: CursorMessagePending = true; break;
    case SDL_KEYDOWN: {
        const intptr_t repeat = e.key.repeat ? intptr_t{1} << 30 : 0;
        Deliver(WM_KEYDOWN, VirtualKeyFromSdl(e.key.keysym.sym), 1 | repeat);
        break;
    }
    case SDL_RENDER_DEVICE_RESET: notes->deviceLost = true; break;
    case SDL_RENDER_TARGETS_RESET: notes->targetsLost = true; break;
    default: break;
    }
}

void PumpWindowInput(DisplayEventNotes* notes)
{
    SDL_Event event;
    while (InputWindow && SDL_PollEvent(&event)) Translate(event, notes);
    // A stop signal (SIGINT, SIGTERM, SIGHUP) is a close request.
    if (InputWindow && StopSignalReceived()) Deliver(WM_CLOSE, 0, 0);
    if (InputWindow == nullptr) return;
    if (CursorMessagePending) {
        CursorMessagePending = false;
        Deliver(WM_SETCURSOR, 0, 0);
    }
    if (!SawActivation && InputWindow) {
        const Uint32 flags = SDL_GetWindowFlags(InputWindow);
        if ((flags & SDL_WINDOW_SHOWN) && (flags & SDL_WINDOW_INPUT_FOCUS) &&
            !(flags & SDL_WINDOW_MINIMIZED)) {
            SawActivation = true;
            Deliver(WM_ACTIVATEAPP, 1, 0);
        }
    }
}

}  // namespace zelvik
