// The program's spine, one for the desktop and the web page: the options
// dialog's procedure, the start of the show after Start, one step of the
// show, its end, and the show window's procedure. The desktop program runs
// the dialog modally and then steps the show until the step says it is
// over (DemoMain); a page runs the same start and the same step, one step
// per animation frame (main_web.cpp).
#pragma once

#include <cstdint>

#include "platform/dialog/dialog.h"

namespace zelvik {

// The program's name, before every line it writes on stderr.
inline constexpr const char* kProgramName = "zelvik";

// Process-wide set-up, first thing: every message (SDL's too) named after
// the program, SIGINT, SIGTERM and SIGHUP made close requests, and the
// program's dialog templates handed to the dialog layer.
void InitProgram();

// Choices of the options dialog (1/0), set by OptionsDialogProc.
extern int32_t StartRequested;
extern int32_t MusicEnabled;
extern int32_t Stereo;    // 0 mono, 1 stereo
extern int32_t HighRate;  // 0 22050 Hz, 1 44100 Hz

// Runs the options dialog modally; -1 when it could not be shown.
intptr_t ShowOptionsDialog();
intptr_t OptionsDialogProc(WindowHandle dialog, uint32_t message, uintptr_t wParam, intptr_t lParam);

// The window system's last error, or `fallback` when it gave none.
const char* WindowSystemReason(const char* fallback);

// Opens the music's audio output with the dialog's choices when music is
// enabled; false when it could not (the reason is on stderr in one line).
bool OpenMusicOutput();

// The show after Start, with the music's output open when music is
// enabled: opens the show's display, then finds the sprite sheet, seeds
// the random generator with `seed` and sets the show up, starts
// the soundtrack, and starts the demo clock so that its zero is the moment
// the music's first sample is heard. False, after one line saying why,
// when the display cannot be opened; the display and the audio output are
// then given back.
bool StartShowing(uint32_t seed);

// One step of the running show: the clock read, the music kept going and
// the frame drawn and presented, which hands the window's input to
// DemoWindowProc. False once the show is over: Escape or a close request
// arrived, or the display stopped taking frames (one line says so).
bool ShowStep();

// Ends the show: display closed (the screen saver allowed again), music
// stopped and its output closed.
void StopShowing();

// The show window's procedure: Escape and close requests end the show at
// its next step; activation changes set AppActive; the pointer is hidden.
intptr_t DemoWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Ends the show at its next step, as Escape does.
void RequestShowEnd();

// The demo clock of the frame last drawn, and the frames drawn since the
// show started.
uint32_t ShownDemoClock();
uint32_t FramesShown();
// Moves the running show's clock forward to `clock`; the frames in between
// are skipped, as on a slow machine.
void SkipDemoClockTo(uint32_t clock);

// The desktop program after InitProgram: the options dialog, then the show
// until it is over. 1 on every early exit (one line on stderr says why,
// except when the viewer left the dialog without Start); 0 once the show
// has run and ended.
int DemoMain();

}  // namespace zelvik
