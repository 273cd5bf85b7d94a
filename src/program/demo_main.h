// The program's spine: the options dialog, start-up, the endless frame
// loop and the show window's procedure, which ends the process.
#pragma once

#include <cstdint>

#include "platform/dialog.h"

namespace zelvik {

// Choices of the options dialog (1/0), set by OptionsDialogProc.
extern int32_t StartRequested;
extern int32_t MusicEnabled;
extern int32_t Stereo;    // 0 mono, 1 stereo
extern int32_t HighRate;  // 0 22050 Hz, 1 44100 Hz
// The dialog's window, saved at WM_INITDIALOG; check marks go through it.
extern WindowHandle DialogWindow;
// Tick count / 10 taken just before the loop; the demo clock counts from it.
extern uint32_t StartTime;

// The tick count the show's clock reads: GetTickCount unless a test puts
// another source in its place (nullptr goes back to GetTickCount).
void SetTickSource(uint32_t (*source)());
// Takes the start time from the tick source, `delayMilliseconds` ahead:
// the demo clock is 0 until then and counts from then on.
void StartDemoClock(uint32_t delayMilliseconds = 0);
// The demo clock: hundredths of a second since StartDemoClock. It follows
// the tick count across its 32-bit wrap-around (every 49.7 days) without a
// jump; see driver/tick_clock.h.
uint32_t CurrentDemoClock();

// Runs the options dialog modally; -1 when it could not be shown.
intptr_t ShowOptionsDialog();
intptr_t OptionsDialogProc(WindowHandle dialog, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Escape and a close request tear everything down and end the process
// with status 0; activation changes set AppActive; the pointer is hidden.
intptr_t DemoWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// The window system's last error, or `fallback` when it gave none.
const char* WindowSystemReason(const char* fallback);
// Opens the show's display, 320 x 200 with `proc` as its window procedure.
// When it cannot, says why in one line and gives back the display and the
// audio output.
bool OpenShowDisplay(WindowProc proc);
// Keeps the music going and presents the frame at demo clock `clock`;
// false, after one line saying why, once the display has stopped taking
// frames and could not be made again.
bool ShowFrame(uint32_t clock);

// Returns 1 on every early exit (one line on stderr says why, except when
// the viewer left the dialog without Start); never returns once the show
// runs.
int DemoMain();

}  // namespace zelvik
