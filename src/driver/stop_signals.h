// SIGINT, SIGTERM and SIGHUP as requests to stop: the handlers only record
// the signal (all a handler may safely do); the program's own loop sees it
// and leaves by its normal path. Shared by the live show and the capture.
#pragma once

namespace zelvik {

// Installs the handlers. With `keepIgnored`, a signal that was ignored when
// the process started (a background job's SIGINT, SIGHUP under nohup)
// stays ignored. With `secondEndsProcess`, each handler is reset after it
// runs, so a second signal ends the process at once if the loop does not
// get round to the first.
void InstallStopSignalHandlers(bool keepIgnored, bool secondEndsProcess);

// The last stop signal received, 0 when none.
int StopSignalReceived();
void ClearStopSignal();

// "SIGINT", "SIGTERM", "SIGHUP" or "a signal".
const char* StopSignalName(int signal);

}  // namespace zelvik
