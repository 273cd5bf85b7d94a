#include "driver/stop_signals.h"

#include <csignal>
#include <initializer_list>

namespace zelvik {

static volatile std::sig_atomic_t StopSignal;

static void RecordStopSignal(int signal) { StopSignal = signal; }

void InstallStopSignalHandlers(bool keepIgnored, bool secondEndsProcess)
{
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        if (sigaction(signal, nullptr, &current) != 0) continue;
        if (keepIgnored && current.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = RecordStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART | (secondEndsProcess ? SA_RESETHAND : 0);
        sigaction(signal, &action, nullptr);
    }
}

int StopSignalReceived() { return StopSignal; }
void ClearStopSignal() { StopSignal = 0; }

const char* StopSignalName(int signal)
{
    switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "a signal";
    }
}

}  // namespace zelvik
