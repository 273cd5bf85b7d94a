// The program in a web page. A page may not block: the browser calls one
// step per animation frame, and the step either serves the options dialog
// (the same template and procedure as on the desktop, through the dialog
// manager's non-modal pieces) or draws one frame of the show. Escape, a
// close request or leaving full screen ends the show and brings the dialog
// back, since a page has no process to end. Exit leaves the page idle.
//
// The page reads three things from the module: ZelvikStage() (0 loading,
// 1 dialog, 2 show, 3 ended), ZelvikDemoClock() and ZelvikFrameCount().
#include <SDL.h>
#include <emscripten.h>

#include <cstdio>
#include <string>

#include "canvas/canvas.h"
#include "display/display.h"
#include "options_dialog.h"
#include "platform/data_files.h"
#include "platform/demo_music.h"
#include "platform/dialog_internal.h"
#include "platform/dialog_testing.h"
#include "platform/module_player.h"
#include "platform/process.h"
#include "platform/sdl_display.h"
#include "program/demo_main.h"
#include "show/setup.h"
#include "show/timeline.h"

namespace zelvik {
namespace {

enum Stage : int { kLoading = 0, kDialog = 1, kShow = 2, kEnded = 3 };

Stage CurrentStage = kLoading;
WindowHandle Options;
bool LeaveRequested;
bool WasFullScreen;
uint32_t ShownClock;
uint32_t FramesDrawn;

void Say(const char* text) { std::fprintf(stderr, "zelvik: %s\n", text); }

intptr_t ShowWindowProc(WindowHandle, uint32_t message, uintptr_t wParam, intptr_t)
{
    switch (message) {
    case WM_ACTIVATEAPP: AppActive = static_cast<int32_t>(wParam); return 0;
    case WM_SETCURSOR: SetCursor(nullptr); return 0;
    case WM_KEYDOWN:
        if ((wParam & 0xFF) == VK_ESCAPE) LeaveRequested = true;
        return 0;
    case WM_CLOSE: LeaveRequested = true; return 0;
    default: return 0;
    }
}

void OpenOptions()
{
    ClearWindowSystemError();
    Options = CreateDialogParam(kOptionsDialogResource, nullptr, OptionsDialogProc, 0);
    if (Options == nullptr) {
        std::fprintf(stderr, "zelvik: cannot show the options dialog: %s\n", WindowSystemReason("unknown error"));
        CurrentStage = kEnded;
        return;
    }
    CurrentStage = kDialog;
}

bool IsFullScreen()
{
    return EM_ASM_INT({ return document.fullscreenElement ? 1 : 0; }) != 0;
}

// The display asks for full screen as it opens; in a page SDL would put
// that request off until the next key or click (as the browser wants a
// user's gesture) and then stretch the canvas its own way. The page asks
// for full screen itself, for the whole stage, right after the click on
// Start, so SDL's request is withdrawn.
void WithdrawFullScreenRequest()
{
    WindowHandle window = DisplayWindowHandle();
    if (window != nullptr && window->sdlWindow != nullptr) SDL_SetWindowFullscreen(window->sdlWindow, 0);
}

void StartShowing()
{
    if (MusicEnabled && !StartMusic(Stereo != 0, HighRate != 0)) {
        Say("the show goes on without music");
        MusicEnabled = 0;
    }
    if (!OpenShowDisplay(ShowWindowProc)) {
        OpenOptions();
        return;
    }
    WithdrawFullScreenRequest();
    // The tab has the keyboard from the click on Start; the browser says
    // when it loses it.
    AppActive = 1;
    // Data files the page could not load are absent: no pictures, or
    // silence, as on the desktop; the page has already said which.
    const std::string sheet = FindDataFile(kSpriteSheetFile);
    StartShow(GetTickCount(), sheet.empty() ? nullptr : sheet.c_str());
    if (MusicEnabled) {
        const std::string music = FindDataFile(kDemoMusicFile);
        if (!music.empty()) PlayDemoMusic(music.c_str());
    }
    LeaveRequested = false;
    WasFullScreen = IsFullScreen();
    FramesDrawn = 0;
    StartDemoClock();
    CurrentStage = kShow;
}

void StopShowing()
{
    ShutdownDisplay();
    ShutdownAudio(MusicEnabled != 0);
    if (IsFullScreen()) EM_ASM({ document.exitFullscreen().catch(() => {}); });
    OpenOptions();
}

void DialogStep()
{
    SDL_Event event;
    while (!DialogEnded(Options, nullptr) && SDL_PollEvent(&event)) IsDialogMessage(Options, event);
    intptr_t result = 0;
    if (!DialogEnded(Options, &result)) {
        if (Options->dialog->dirty) DrawDialog(Options->dialog);
        return;
    }
    DestroyDialog(Options);
    Options = nullptr;
    if (StartRequested) {
        StartShowing();
    } else {
        Say("Exit pressed: reload the page to see the options again");
        CurrentStage = kEnded;
    }
}

void ShowStep()
{
    // Leaving full screen (the browser's own Escape) ends the show too.
    const bool fullScreen = IsFullScreen();
    if (WasFullScreen && !fullScreen) LeaveRequested = true;
    WasFullScreen = fullScreen;
    if (!LeaveRequested) {
        ShownClock = CurrentDemoClock();
        // Presenting also hands the window's input to ShowWindowProc. A
        // display that cannot be mended ends the show, as on the desktop.
        if (!ShowFrame(ShownClock)) LeaveRequested = true;
        ++FramesDrawn;
    }
    if (LeaveRequested) StopShowing();
}

void Step()
{
    switch (CurrentStage) {
    case kDialog: DialogStep(); break;
    case kShow: ShowStep(); break;
    default: break;
    }
}

}  // namespace
}  // namespace zelvik

extern "C" {
EMSCRIPTEN_KEEPALIVE int ZelvikStage() { return zelvik::CurrentStage; }
EMSCRIPTEN_KEEPALIVE uint32_t ZelvikDemoClock() { return zelvik::ShownClock; }
EMSCRIPTEN_KEEPALIVE uint32_t ZelvikFrameCount() { return zelvik::FramesDrawn; }
// 1 while the music player is rendering the module.
EMSCRIPTEN_KEEPALIVE int ZelvikMusicPlaying() { return BASSMOD_MusicIsActive(); }
// Moves the running show's demo clock forward to `clock` (frames in
// between are skipped, as on a slow machine), for the browser test's
// pictures of later scenes.
EMSCRIPTEN_KEEPALIVE void ZelvikSkipTo(uint32_t clock)
{
    if (zelvik::CurrentStage != zelvik::kShow) return;
    const uint32_t now = zelvik::CurrentDemoClock();
    if (clock > now && zelvik::StartTime >= clock - now) zelvik::StartTime -= clock - now;
}
// One coordinate (0 x, 1 y, 2 width, 3 height) of a control of the options
// dialog in canvas pixels, for the browser test; -1 when there is none.
EMSCRIPTEN_KEEPALIVE int32_t ZelvikDialogItemRect(int32_t id, int32_t which)
{
    zelvik::PixelRect rect{};
    if (zelvik::Options == nullptr || !zelvik::GetDlgItemRect(zelvik::Options, id, &rect)) return -1;
    const int32_t values[4] = {rect.x, rect.y, rect.w, rect.h};
    return which >= 0 && which < 4 ? values[which] : -1;
}
}

int main()
{
    zelvik::SetDialogTemplateLookup(zelvik::FindDialogTemplate);
    // The loop exists before any window, so that SDL's vertical sync ties
    // presenting to the browser's animation frames.
    emscripten_set_main_loop(zelvik::Step, 0, 0);
    zelvik::OpenOptions();
    return 0;
}
