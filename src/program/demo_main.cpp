#include "program/demo_main.h"

#include <cstdio>
#include <string>

#include "canvas/canvas.h"
#include "display/display.h"
#include "driver/random.h"
#include "driver/tick_clock.h"
#include "options_dialog.h"
#include "platform/data_files.h"
#include "platform/demo_music.h"
#include "platform/process.h"
#include "platform/sdl_display.h"
#include "show/setup.h"
#include "show/timeline.h"

namespace zelvik {

int32_t StartRequested;
int32_t MusicEnabled;
int32_t Stereo;
int32_t HighRate;

// Where the data files were found (see FindDataFile); "" for nowhere.
static std::string SheetPath;
static std::string MusicPath;
WindowHandle DialogWindow;
uint32_t StartTime;

// --- The demo clock -------------------------------------------------------------

static uint32_t (*TickSource)() = GetTickCount;
static TickCount64 ShowTicks;
// The extended tick count at which the clock is 0, and whether it has come.
static uint64_t ShowStartTick;
static bool ShowStarted;

void SetTickSource(uint32_t (*source)()) { TickSource = source ? source : GetTickCount; }

void StartDemoClock(uint32_t delayMilliseconds)
{
    ShowTicks = TickCount64{};
    // The first reading is taken as it is (no wrap counted yet), so the
    // start time is the tick count / 10 of that moment, plus the delay:
    // with music, the time its first sample takes to be heard.
    ShowStartTick = ExtendTickCount(&ShowTicks, TickSource()) + delayMilliseconds;
    ShowStarted = delayMilliseconds == 0;
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

// --- Options dialog -----------------------------------------------------------

static void SetCheck(int32_t id, uintptr_t checked)
{
    SendDlgItemMessage(DialogWindow, id, BM_SETCHECK, checked, 0);
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
        if (MusicEnabled) {
            SetCheck(kPlayMusicBox, 0);
            MusicEnabled = 0;
        } else {
            SetCheck(kPlayMusicBox, 1);
            MusicEnabled = 1;
        }
        return 1;
    case kMonoButton:
        SetCheck(kMonoButton, 1);
        SetCheck(kStereoButton, 0);
        Stereo = 0;
        return 1;
    case kStereoButton:
        SetCheck(kMonoButton, 0);
        SetCheck(kStereoButton, 1);
        Stereo = 1;
        return 1;
    case kRate22050Button:
        SetCheck(kRate22050Button, 1);
        SetCheck(kRate44100Button, 0);
        HighRate = 0;
        return 1;
    case kRate44100Button:
        SetCheck(kRate22050Button, 0);
        SetCheck(kRate44100Button, 1);
        HighRate = 1;
        return 1;
    default: return 0;
    }
}

intptr_t ShowOptionsDialog()
{
    return DialogBoxParam(kOptionsDialogResource, nullptr, OptionsDialogProc, 0);
}

// --- The show's window -----------------------------------------------------------

[[noreturn]] static void Shutdown()
{
    ShutdownDisplay();
    ShutdownAudio(MusicEnabled != 0);
    ExitProcess(0);
}

intptr_t DemoWindowProc(WindowHandle, uint32_t message, uintptr_t wParam, intptr_t)
{
    switch (message) {
    case WM_ACTIVATEAPP: AppActive = static_cast<int32_t>(wParam); return 0;
    case WM_SETCURSOR: SetCursor(nullptr); return 0;
    case WM_KEYDOWN:
        if ((wParam & 0xFF) == VK_ESCAPE) Shutdown();
        return 0;
    case WM_CLOSE: Shutdown();
    default: return 0;
    }
}

// --- Start-up and the frame loop -----------------------------------------------

const char* WindowSystemReason(const char* fallback)
{
    const char* text = WindowSystemError();
    return text != nullptr && *text != '\0' ? text : fallback;
}

bool OpenShowDisplay(WindowProc proc)
{
    SetDisplayWindowProc(proc);
    UseDisplayBackend(&SdlDisplay);
    ClearWindowSystemError();
    if (InitDisplay("Demo", kCanvasWidth, kCanvasHeight)) return true;
    std::fprintf(stderr, "zelvik: cannot open the display: %s\n", WindowSystemReason("no usable pixel format"));
    // Give back what was opened, so that nothing outlives the message.
    ShutdownDisplay();
    ShutdownAudio(MusicEnabled != 0);
    return false;
}

bool ShowFrame(uint32_t clock)
{
    KeepMusicGoing(clock);
    // A back buffer that stops locking is made again by the display; a
    // display that cannot be mended ends the show rather than leave a
    // frozen picture running.
    if (RecoverAfterPresent(PresentShowFrame(clock)) != FrameOutcome::Lost) return true;
    std::fprintf(stderr, "zelvik: the display stopped taking frames and could not be made again: %s\n",
                 WindowSystemReason("the back buffer cannot be locked"));
    return false;
}

int DemoMain()
{
    // SIGINT, SIGTERM and SIGHUP end the show as a close request does.
    CatchStopSignals();
    SetDialogTemplateLookup(FindDialogTemplate);

    // The tick count differs from run to run, and so does the show's
    // random material.
    srand(GetTickCount());

    if (ShowOptionsDialog() == -1) {
        std::fprintf(stderr, "zelvik: cannot show the options dialog: %s\n", WindowSystemReason("unknown error"));
        return 1;
    }
    if (StartRequested == 0) return 1;

    // The music layer has already said why it could not start, in one line.
    if (MusicEnabled && !StartMusic(Stereo != 0, HighRate != 0)) return 1;

    if (!OpenShowDisplay(DemoWindowProc)) return 1;

    // A data file found nowhere is left out, the show going on without
    // pictures or silently; the finder has said where it looked.
    SheetPath = FindDataFile(kSpriteSheetFile);
    DemoSetup(SheetPath.empty() ? nullptr : SheetPath.c_str());
    if (MusicEnabled) {
        MusicPath = FindDataFile(kDemoMusicFile);
        if (!MusicPath.empty()) PlayDemoMusic(MusicPath.c_str());
    }

    // The music is playing now, but is heard only once the output's buffer
    // ahead of it has played: the clock's zero is that moment.
    StartDemoClock(MusicLatencyMilliseconds());
    for (;;) {
        if (!ShowFrame(CurrentDemoClock())) {
            ShutdownDisplay();
            ShutdownAudio(MusicEnabled != 0);
            return 0;
        }
    }
}

}  // namespace zelvik
