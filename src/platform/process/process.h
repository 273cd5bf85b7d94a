// Process services the show runs on: the tick count, sleeping and taking
// over the stop signals. Each system has its own implementation file
// behind this header (process_<system>.cpp), chosen by the platform table.
#pragma once

#include <cstdint>

namespace zelvik {

// Milliseconds since the system booted, wrapping every 2^32 ms (about 49.7
// days), from the monotonic clock.
uint32_t GetTickCount();
void Sleep(uint32_t milliseconds);

// Makes SIGINT, SIGTERM and SIGHUP ask the program to end as a close request
// does; a signal ignored when the process started stays ignored. Called once,
// early; the handlers only record the signal (StopSignalReceived() reads it)
// and the message loops act on it, since little else is safe in a handler.
void CatchStopSignals();

}  // namespace zelvik
