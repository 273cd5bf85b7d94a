// Process entry: the show reads no configuration and keeps no state. Its
// command line knows two requests only, --help and --version, which print
// and exit before anything else happens; anything else is refused.
//
// One environment variable exists for unattended runs (tests, long soak
// runs): ZELVIK_AUTOSTART=1 presses Start as soon as the options dialog is
// up, leaving its choices at their defaults (music on, mono, 22050 Hz).
#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "driver/report.h"
#include "platform/files/data_files.h"
#include "platform/process/messages.h"
#include "program/backends.h"
#include "program/demo_main.h"
#include "program/options_dialog.h"
#include "zelvik_version.h"

namespace {

void PressStart(zelvik::WindowHandle dialog)
{
    zelvik::OptionsDialogProc(dialog, zelvik::WM_COMMAND, zelvik::kStartButton, 0);
}

void PrintHelp()
{
    const std::string installed = zelvik::InstalledDataFolder();
    const std::string text =
        "Usage: zelvik [--help | --version]\n"
        "A real-time audiovisual show: an options dialog (music, mono or stereo,\n"
        "22050 or 44100 Hz), then pictures and music full screen until Escape.\n"
        "\n"
        "Data files: scene1.bmp (pictures) and demo.xm (music), taken from the\n"
        "working folder, else from the installed data folder\n"
        "  " + (installed.empty() ? std::string("(unknown)") : installed) + "\n"
        "\n"
        "  --help     this text\n"
        "  --version  the version number\n"
        "\n"
        "Environment: ZELVIK_AUTOSTART=1 presses Start at once (unattended runs).\n"
        "SIGINT, SIGTERM and SIGHUP end the show like Escape (exit status 0).\n";
    zelvik::WriteStandardOutput(text.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    zelvik::StartMessageOutput(ZELVIK_PRODUCT_NAME);
    zelvik::InitProgram();
    if (argc > 1) {
        const bool version = std::strcmp(argv[1], "--version") == 0;
        const bool help = std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0;
        if (argc == 2 && version) {
            const std::string text = std::string(zelvik::kProgramName) + " " + ZELVIK_VERSION + "\n";
            zelvik::WriteStandardOutput(text.c_str());
            return zelvik::FinishMessageOutput(0);
        }
        if (argc == 2 && help) {
            PrintHelp();
            return zelvik::FinishMessageOutput(0);
        }
        // The first word that is not a lone request.
        const char* unknown = version || help ? argv[2] : argv[1];
        zelvik::Report("%s: unknown option (the show takes only --help or --version)", unknown);
        return zelvik::FinishMessageOutput(2);
    }
    const char* autostart = std::getenv("ZELVIK_AUTOSTART");
    if (autostart != nullptr && std::strcmp(autostart, "1") == 0) zelvik::SetDialogCreatedHook(PressStart);
    zelvik::UseSystemBackends();
    return zelvik::FinishMessageOutput(zelvik::DemoMain());
}
