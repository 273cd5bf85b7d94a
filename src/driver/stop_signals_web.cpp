// A web page receives no signals: nothing to install, none ever recorded.
#include "driver/stop_signals.h"

namespace zelvik {

void InstallStopSignalHandlers(bool, bool) {}
int StopSignalReceived() { return 0; }
void ClearStopSignal() {}
const char* StopSignalName(int) { return "a signal"; }

}  // namespace zelvik
