#include "program/demo_main.h"

#include <SDL.h>

#include <cstdlib>
#include <string>

#include "canvas/canvas.h"
#include "display/display.h"
#include "driver/report.h"
#include "driver/tick_clock.h"
#include "platform/audio/demo_music.h"
#include "platform/files/data_files.h"
#include "platform/input/window_input.h"
#include "platform/process/process.h"
#include "program/demo_main_testing.h"
#include "program/options_dialog.h"
#include "show/setup.h"
#include "show/timeline.h"

namespace zelvik {

int32_t StartRequested;
int32_t MusicEnabled;
int32_t Stereo;
int32_t HighRate;

WindowHandle DialogWindow;
uint32_t StartTime;

// Set by the show window's procedure; the next step ends the show.
static bool EndRequested;
static uint32_t ShownClock;
static uint32_t FramesDrawn;

// --- Process-wide set-up --------------------------------------------------------

// SDL's own messages go out as every other line does, under the program's
// name.
static void ReportSdlMessage(void*, int, SDL_LogPriority, const char* message)
{
    Report("%s", message);
}

void InitProgram()
{
    SetReportPrefix(kProgramName);
    SDL_LogSetOutputFunction(ReportSdlMessage, nullptr);
    CatchStopSignals();
    SetDialogTemplateLookup(FindDialogTemplate);
}

// --- The demo clock -------------------------------------------------------------

static uint32_t (*TickSource)() = GetTickCount;
static TickCount64 ShowTicks;
// The extended tick count at which the clock is 0, and whether it has come.
static uint64_t ShowStartTick;
static bool ShowStarted;

void SetTickSource(uint32_t (*source)()) { TickSource = source ? source : GetTickCount; }

void StartDemoClock(int32_t delayMilliseconds)
{
    ShowTicks = TickCount64{};
    // The first reading is taken as it is (no wrap counted yet), so the
    // start time is the tick count / 10 of that moment, plus the delay:
    // with music, the time its first sample takes to be heard.
    const int64_t start = static_cast<int64_t>(ExtendTickCount(&ShowTicks, TickSource())) + delayMilliseconds;
    ShowStartTick = start > 0 ? static_cast<uint64_t>(start) : 0;
    ShowStarted = delayMilliseconds <= 0;
    StartTime = static_cast<uint32_t>(ShowStartTick / 10);
}

uint32_t CurrentDemoClock()
{
    const uint64_t now = ExtendTickCount(&ShowTicks, TickSource());
    // Until the start time comes round the clock stays at 0 rather than
    // counting back from 2^32.
    if (!ShowStarted) {
        if (now < ShowStartTick) return 0;
        ShowStarted = true;
    }
    return DemoClockFromTicks(now, StartTime);
}

void SkipDemoClockTo(uint32_t clock)
{
    const uint32_t now = CurrentDemoClock();
    if (clock > now && StartTime >= clock - now) StartTime -= clock - now;
}

// --- Options dialog -----------------------------------------------------------

static void SetCheck(int32_t id, uintptr_t checked)
{
    SendDlgItemMessage(DialogWindow, id, BM_SETCHECK, checked, 0);
}

// A click on either of a pair of radio buttons checks it and clears the
// other; 1 when it was the second.
static int32_t ChooseOfPair(int32_t first, int32_t second, uintptr_t command)
{
    const int32_t chosen = static_cast<int32_t>(command & 0xFFFF) == second ? 1 : 0;
    SetCheck(first, static_cast<uintptr_t>(1 - chosen));
    SetCheck(second, static_cast<uintptr_t>(chosen));
    return chosen;
}

intptr_t OptionsDialogProc(WindowHandle dialog, uint32_t message, uintptr_t wParam, intptr_t)
{
    if (message == WM_INITDIALOG) {
        DialogWindow = dialog;
        SetCheck(kPlayMusicBox, 1);
        MusicEnabled = 1;
        SetCheck(kMonoButton, 1);
        Stereo = 0;
        SetCheck(kStereoButton, 0);
        SetCheck(kRate22050Button, 1);
        HighRate = 0;
        SetCheck(kRate44100Button, 0);
        StartRequested = 0;
        return 1;
    }
    if (message != WM_COMMAND) return 0;

    switch (static_cast<int32_t>(wParam & 0xFFFF)) {
    case kStartButton:
        StartRequested = 1;
        EndDialog(dialog, 0);
        return 1;
    case IDCANCEL:  // Escape or the close button: StartRequested stays as it is
        EndDialog(dialog, 0);
        return 1;
    case kExitButton:
        StartRequested = 0;
        EndDialog(dialog, 0);
        return 1;
    case kPlayMusicBox:
        MusicEnabled = MusicEnabled ? 0 : 1;
        SetCheck(kPlayMusicBox, static_cast<uintptr_t>(MusicEnabled));
        return 1;
    case kMonoButton:
    case kStereoButton: Stereo = ChooseOfPair(kMonoButton, kStereoButton, wParam); return 1;
    case kRate22050Button:
    case kRate44100Button: HighRate = ChooseOfPair(kRate22050Button, kRate44100Button, wParam); return 1;
    default: return 0;
    }
}

intptr_t ShowOptionsDialog()
{
    return DialogBoxParam(kOptionsDialogResource, nullptr, OptionsDialogProc, 0);
}

// --- The show's window -----------------------------------------------------------

void RequestShowEnd() { EndRequested = true; }

intptr_t DemoWindowProc(WindowHandle, uint32_t message, uintptr_t wParam, intptr_t)
{
    switch (message) {
    case WM_ACTIVATEAPP: AppActive = static_cast<int32_t>(wParam); return 0;
    case WM_SETCURSOR: SetCursor(nullptr); return 0;
    case WM_KEYDOWN:
        if ((wParam & 0xFF) == VK_ESCAPE) RequestShowEnd();
        return 0;
    case WM_CLOSE: RequestShowEnd(); return 0;
    default: return 0;
    }
}

// --- Start, step and end ------------------------------------------------------

const char* WindowSystemReason(const char* fallback)
{
    const char* text = WindowSystemError();
    return text != nullptr && *text != '\0' ? text : fallback;
}

bool OpenMusicOutput()
{
    // The music layer says why it could not start, in one line.
    return !MusicEnabled || StartMusic(Stereo != 0, HighRate != 0);
}

bool StartShowing(uint32_t seed)
{
    SetDisplayWindowProc(DemoWindowProc);
    ClearWindowSystemError();
    if (!InitDisplay("Demo", kCanvasWidth, kCanvasHeight)) {
        Report("cannot open the display: %s", WindowSystemReason("no usable pixel format"));
        // Give back what was opened, so that nothing outlives the message.
        StopShowing();
        return false;
    }

    // A data file found nowhere is left out, the show going on without
    // pictures or silently; the finder has said where it looked.
    const std::string sheet = FindDataFile(kSpriteSheetFile);
    StartShow(seed, sheet.empty() ? nullptr : sheet.c_str());
    if (MusicEnabled) {
        const std::string music = FindDataFile(kDemoMusicFile);
        if (!music.empty()) PlayDemoMusic(music.c_str());
    }

    EndRequested = false;
    FramesDrawn = 0;
    // The music is playing now, but is heard only once what the output
    // holds ahead of it has played: the clock's zero is that moment.
    const int32_t delay = MusicLatencyMilliseconds();
    StartDemoClock(delay);
    // For the tests that hold what is heard against the clock: the clock's
    // zero on the system's monotonic clock, which the tick count follows.
    if (std::getenv("ZELVIK_AUDIO_REPORT") != nullptr)
        Report("music: its first sample is heard %d ms from now; demo clock 0 at %.3f s of the monotonic clock",
               static_cast<int>(delay), static_cast<double>(StartTime) / 100.0);
    return true;
}

bool ShowStep()
{
    if (EndRequested) return false;
    ShownClock = CurrentDemoClock();
    KeepMusicGoing(ShownClock);
    // A back buffer that stops locking is made again by the display; a
    // display that cannot be mended ends the show rather than leave a
    // frozen picture running.
    if (RecoverAfterPresent(PresentShowFrame(ShownClock)) == FrameOutcome::Lost) {
        Report("the display stopped taking frames and could not be made again: %s",
               WindowSystemReason("the back buffer cannot be locked"));
        return false;
    }
    ++FramesDrawn;
    return !EndRequested;
}

void StopShowing()
{
    ShutdownDisplay();
    ShutdownAudio(MusicEnabled != 0);
}

uint32_t ShownDemoClock() { return ShownClock; }
uint32_t FramesShown() { return FramesDrawn; }

// --- The desktop program ----------------------------------------------------------

int DemoMain()
{
    // The random generator's seed is the tick count when the program
    // starts, before the dialog: it differs from run to run, and so does the
    // show's random material.
    const uint32_t seed = GetTickCount();
    if (ShowOptionsDialog() == -1) {
        Report("cannot show the options dialog: %s", WindowSystemReason("unknown error"));
        return 1;
    }
    if (StartRequested == 0) return 1;
    if (!OpenMusicOutput()) return 1;
    if (!StartShowing(seed)) return 1;
    while (ShowStep()) {
    }
    StopShowing();
    QuitWindowSystem();
    return 0;
}

}  // namespace zelvik
