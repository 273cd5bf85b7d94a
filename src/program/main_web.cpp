// The program in a web page. A page may not block: the browser calls one
// step per animation frame, and the step either serves the options dialog
// (the same template and procedure as on the desktop, through the dialog
// manager's modeless pieces) or takes one step of the show, the desktop's
// own. Escape, leaving full screen or a tap on the picture (the page's
// input, input_web.cpp) ends the show and brings the dialog back, since a
// page has no process to end. The page itself asks for full screen and
// leaves it (web/zelvik_page.js). Exit leaves the page idle.
//
// The page reads three things from the module: ZelvikStage() (0 loading,
// 1 dialog, 2 show, 3 ended, 4 waiting for data files), ZelvikDemoClock()
// and ZelvikFrameCount().
//
// The page starts the program as soon as the dialog can be drawn and
// fetches the sprite sheet and the music meanwhile; it says through
// ZelvikDataFileSettled when each is in its place (or could not be had).
// A Start pressed before the files the show will read are settled waits
// for them, and the show then starts as it would have at once.
#include <SDL.h>
#include <emscripten.h>

#include "display/display.h"
#include "driver/report.h"
#include "platform/audio/module_player.h"
#include "platform/dialog/modeless_dialog.h"
#include "platform/process/process.h"
#include "program/backends.h"
#include "program/demo_main.h"
#include "program/options_dialog.h"

namespace zelvik {
namespace {

enum Stage : int { kLoading = 0, kDialog = 1, kShow = 2, kEnded = 3, kWaiting = 4 };

// The data files the page fetches after the program starts, as bits.
enum DataFile : int { kSheetData = 1, kMusicData = 2 };

Stage CurrentStage = kLoading;
// The data files the page has not yet settled.
int PendingData = kSheetData | kMusicData;
WindowHandle Options;
// The tick count when the options were opened, the next show's seed: on a
// page, each time the dialog comes is a new start of the program.
uint32_t ShowSeed;

void OpenOptions()
{
    ShowSeed = GetTickCount();
    ClearWindowSystemError();
    Options = CreateDialogParam(kOptionsDialogResource, nullptr, OptionsDialogProc, 0);
    if (Options == nullptr) {
        Report("cannot show the options dialog: %s", WindowSystemReason("unknown error"));
        CurrentStage = kEnded;
        return;
    }
    // The dialog's renderer, made without vertical sync, has put the page's
    // loop on timers, as fast as they run; it goes back to one step per
    // animation frame, for the dialog and for the show after it, whose
    // frames then keep to the screen's refresh.
    emscripten_set_main_loop_timing(EM_TIMING_RAF, 1);
    CurrentStage = kDialog;
}

void BeginShow()
{
    // A page cannot end the program for want of sound: the show goes on
    // silently.
    if (!OpenMusicOutput()) {
        Report("the show goes on without music");
        MusicEnabled = 0;
    }
    if (!StartShowing(ShowSeed)) {
        OpenOptions();
        return;
    }
    CurrentStage = kShow;
}

void EndShow()
{
    StopShowing();
    OpenOptions();
}

// The files the show reads at its start are settled: the sheet, and the
// music when it is to play.
bool ShowDataSettled()
{
    const int needed = kSheetData | (MusicEnabled ? kMusicData : 0);
    return (PendingData & needed) == 0;
}

void DialogStep()
{
    PumpDialog(Options);
    if (!DialogEnded(Options, nullptr)) return;
    DestroyDialog(Options);
    Options = nullptr;
    if (StartRequested) {
        if (ShowDataSettled()) {
            BeginShow();
        } else {
            CurrentStage = kWaiting;
        }
    } else {
        Report("Exit pressed: reload the page to see the options again");
        CurrentStage = kEnded;
    }
}

void Step()
{
    switch (CurrentStage) {
    case kDialog: DialogStep(); break;
    case kShow:
        if (!ShowStep()) EndShow();
        break;
    case kWaiting:
        if (ShowDataSettled()) BeginShow();
        break;
    default: break;
    }
}

}  // namespace
}  // namespace zelvik

extern "C" {
EMSCRIPTEN_KEEPALIVE int ZelvikStage() { return zelvik::CurrentStage; }
EMSCRIPTEN_KEEPALIVE uint32_t ZelvikDemoClock() { return zelvik::ShownDemoClock(); }
EMSCRIPTEN_KEEPALIVE uint32_t ZelvikFrameCount() { return zelvik::FramesShown(); }
// The page has put data files (DataFile bits) into the file system, or
// found that it cannot.
EMSCRIPTEN_KEEPALIVE void ZelvikDataFileSettled(int files) { zelvik::PendingData &= ~files; }
// 1 while the music player is rendering the module.
EMSCRIPTEN_KEEPALIVE int ZelvikMusicPlaying() { return BASSMOD_MusicIsActive(); }
// Moves the running show's demo clock forward to `clock` (frames in
// between are skipped, as on a slow machine), for the browser test's
// pictures of later scenes.
EMSCRIPTEN_KEEPALIVE void ZelvikSkipTo(uint32_t clock)
{
    if (zelvik::CurrentStage == zelvik::kShow) zelvik::SkipDemoClockTo(clock);
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
    zelvik::InitProgram();
    zelvik::UseSystemBackends();
    // The page's loop: from here on the browser calls Step once per
    // animation frame, and main returns at once. It exists before any
    // window because making the dialog's renderer sets the loop's timing,
    // which can only be set on a loop that exists (OpenOptions puts it back
    // on animation frames).
    emscripten_set_main_loop(zelvik::Step, 0, 0);
    zelvik::OpenOptions();
    return 0;
}
