// Stop requests on Windows: the console's control events (Ctrl+C,
// Ctrl+Break, the console window closing, logoff, shutdown) recorded as the
// POSIX signals they stand for, so the program's loops see them the same
// way: Ctrl+C as SIGINT, Ctrl+Break as SIGBREAK, the others as SIGTERM.
//
// The handler runs on a thread of its own that the system starts, so the
// record is atomic. For the close, logoff and shutdown events the system
// ends the process as soon as the handler returns; the handler therefore
// waits there, giving the program's loop time to leave by its normal path
// (the process ends when it does, handler thread and all).
#include "driver/stop_signals.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <atomic>
#include <csignal>

namespace zelvik {

static std::atomic<int> StopSignal;
static std::atomic<bool> SecondEndsProcess;

// How long a close, logoff or shutdown waits for the program to end itself;
// the system allows about 5 s before it ends the process anyway.
static constexpr DWORD kCloseGraceMilliseconds = 4500;

static BOOL WINAPI RecordControlEvent(DWORD event)
{
    int signal = 0;
    switch (event) {
    case CTRL_C_EVENT: signal = SIGINT; break;
    case CTRL_BREAK_EVENT: signal = SIGBREAK; break;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT: signal = SIGTERM; break;
    default: return FALSE;
    }
    // A second request while the first is still pending goes to the
    // default handler, which ends the process.
    const int earlier = StopSignal.exchange(signal);
    if (earlier != 0 && SecondEndsProcess.load()) return FALSE;
    if (signal == SIGTERM) Sleep(kCloseGraceMilliseconds);
    return TRUE;
}

void InstallStopSignalHandlers(bool keepIgnored, bool secondEndsProcess)
{
    // A Ctrl+C ignored by the parent (a process started in a new process
    // group) is never handed to handlers, so `keepIgnored` holds without
    // any check here.
    static_cast<void>(keepIgnored);
    SecondEndsProcess = secondEndsProcess;
    static bool installed = false;
    if (!installed) installed = SetConsoleCtrlHandler(RecordControlEvent, TRUE) != 0;
}

int StopSignalReceived() { return StopSignal.load(); }
void ClearStopSignal() { StopSignal = 0; }

const char* StopSignalName(int signal)
{
    switch (signal) {
    case SIGINT: return "Ctrl+C";
    case SIGBREAK: return "Ctrl+Break";
    case SIGTERM: return "a close request";
    default: return "a signal";
    }
}

}  // namespace zelvik
