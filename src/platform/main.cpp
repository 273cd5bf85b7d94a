// Process entry: the show takes no arguments and reads no configuration.
//
// One environment variable exists for unattended runs (tests, long soak
// runs): ZELVIK_AUTOSTART=1 presses Start as soon as the options dialog is
// up, leaving its choices at their defaults (music on, mono, 22050 Hz).
#include <cstdlib>
#include <cstring>

#include "platform/demo_main.h"
#include "options_dialog.h"

namespace {

void PressStart(zelvik::WindowHandle dialog)
{
    zelvik::OptionsDialogProc(dialog, zelvik::WM_COMMAND, zelvik::kStartButton, 0);
}

}  // namespace

int main()
{
    const char* autostart = std::getenv("ZELVIK_AUTOSTART");
    if (autostart != nullptr && std::strcmp(autostart, "1") == 0) zelvik::SetDialogCreatedHook(PressStart);
    return zelvik::DemoMain();
}
