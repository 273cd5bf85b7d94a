// The program's spine taken apart for its tests: the dialog's window, and
// the demo clock with its tick source.
#pragma once

#include <cstdint>

#include "program/demo_main.h"

namespace zelvik {

// The dialog's window, saved at WM_INITDIALOG; check marks go through it.
extern WindowHandle DialogWindow;
// Tick count / 10 taken when the clock started; the demo clock counts from it.
extern uint32_t StartTime;

// The tick count the show's clock reads: GetTickCount unless a test puts
// another source in its place (nullptr goes back to GetTickCount).
void SetTickSource(uint32_t (*source)());
// Takes the start time from the tick source, `delayMilliseconds` ahead:
// the demo clock is 0 until then and counts from then on. A negative delay
// starts it that long ago.
void StartDemoClock(int32_t delayMilliseconds = 0);
// The demo clock: hundredths of a second since StartDemoClock. It follows
// the tick count across its 32-bit wrap-around (every 49.7 days) without a
// jump; see driver/tick_clock.h.
uint32_t CurrentDemoClock();

}  // namespace zelvik
