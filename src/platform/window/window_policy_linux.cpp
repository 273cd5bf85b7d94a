// A Linux desktop: X or Wayland. X errors are reported instead of ending
// the process, a Wayland driver is tried first where a compositor's socket
// is and not at all elsewhere, the dialog's font is DejaVu Sans from the
// usual font folders, and the desktop's scale comes from GDK_SCALE or the
// X resource Xft.dpi.
//
// The show does not link libX11: what it asks of X is looked up in the
// library SDL's X11 driver loads.
#include <SDL.h>
#include <SDL_syswm.h>
#include <dlfcn.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "driver/report.h"
#include "platform/window/window_policy.h"

namespace zelvik {

namespace {

// The parts of Xlib's XErrorEvent that are read; the layout is Xlib's.
struct XErrorEventView {
    int type;
    void* display;
    unsigned long resourceid;
    unsigned long serial;
    unsigned char error_code;
    unsigned char request_code;
    unsigned char minor_code;
};

using ErrorHandler = int (*)(void* display, XErrorEventView* event);
using SetErrorHandlerFn = ErrorHandler (*)(ErrorHandler);
using GetDefaultFn = char* (*)(void* display, const char* program, const char* option);
using GetErrorTextFn = int (*)(void* display, int code, char* buffer, int length);

GetErrorTextFn GetErrorText;
bool Installed;
int Reported;

// A window gone from under the program can fail every request made on it;
// past this many lines the rest are counted but not printed.
constexpr int kMostReported = 20;

int ReportXError(void* display, XErrorEventView* event)
{
    ++Reported;
    if (Reported == kMostReported + 1) Report("further X errors are ignored without a word");
    if (Reported > kMostReported) return 0;
    char text[80] = "";
    if (GetErrorText != nullptr) GetErrorText(display, event->error_code, text, sizeof text);
    Report("X error ignored: %s (error %u, request %u.%u, resource 0x%lx, serial %lu)",
           text[0] != '\0' ? text : "unknown", event->error_code, event->request_code,
           event->minor_code, event->resourceid, event->serial);
    return 0;
}

// The desktop's Xft.dpi setting, read from the resources the X server gave
// the connection of `window` when it opened (no request is sent); 0 when
// unset or when the window is not on X.
int X11DesktopDpi(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return 0;
    void* display = info.info.x11.display;
    void* library = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (library == nullptr) return 0;
    auto getDefault = reinterpret_cast<GetDefaultFn>(dlsym(library, "XGetDefault"));
    const char* text = getDefault != nullptr ? getDefault(display, "Xft", "dpi") : nullptr;
    const long dpi = text != nullptr ? std::strtol(text, nullptr, 10) : 0;
    dlclose(library);
    return dpi > 0 && dpi < 10000 ? static_cast<int>(dpi) : 0;
}

// Whether a Wayland compositor can be there at all: the socket its client
// library would look for. Without one the library is not even asked, since
// it complains on stderr in words of its own.
bool WaylandMayBeThere()
{
    const char* name = std::getenv("WAYLAND_DISPLAY");
    std::error_code ignored;
    if (name != nullptr && name[0] == '/') return std::filesystem::exists(name, ignored);
    const char* folder = std::getenv("XDG_RUNTIME_DIR");
    if (folder == nullptr || *folder == '\0') return false;
    const std::string socket =
        std::string(folder) + "/" + (name != nullptr && *name != '\0' ? name : "wayland-0");
    return std::filesystem::exists(socket, ignored);
}

const char* const kFontFiles[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/TTF/DejaVuSans.ttf",
};

// Rounds to the nearest quarter within 1 to 4.
float QuarterSteps(float scale)
{
    const float rounded = std::round(scale * 4.0f) / 4.0f;
    return rounded < 1.0f ? 1.0f : (rounded > 4.0f ? 4.0f : rounded);
}

}  // namespace

// Xlib's own handler ends the process on any X error; nothing the show does
// with the window system is worth that. The handler installed here reports
// each error in one line on stderr and lets the program go on. It goes in
// before the video side starts, so that SDL's X11 code, which saves the
// handler it finds and puts it back before it closes its connections,
// keeps ours in place of Xlib's default to the very end. Nothing happens
// when libX11 is not present, nor a second time.
void PrepareVideoStart()
{
    if (Installed) return;
    // The same library SDL's X11 driver opens; the reference keeps it loaded
    // for the life of the process, as the handler lives in it.
    void* library = dlopen("libX11.so.6", RTLD_LAZY | RTLD_GLOBAL);
    if (library == nullptr) return;
    auto setHandler = reinterpret_cast<SetErrorHandlerFn>(dlsym(library, "XSetErrorHandler"));
    GetErrorText = reinterpret_cast<GetErrorTextFn>(dlsym(library, "XGetErrorText"));
    if (setHandler == nullptr) return;
    setHandler(ReportXError);
    Installed = true;
}

// A server named by DISPLAY may refuse a connection for a moment when the
// machine is very busy: three rounds within about half a second.
int VideoStartRounds() { return std::getenv("DISPLAY") != nullptr ? 3 : 1; }

// SDL 2.26 tries X first, which on a Wayland desktop means XWayland: one
// more server between the show and the screen, and a window of one pixel
// per point that the compositor scales up. Where a compositor's socket is
// there, its own driver goes first; X stays the fallback.
const char* PreferredVideoDriver() { return WaylandMayBeThere() ? "wayland" : nullptr; }

bool VideoDriverMayWork(const char* driver)
{
    return SDL_strcmp(driver, "wayland") != 0 || WaylandMayBeThere();
}

void ExplainNoDisplay()
{
    SDL_SetError("no display reachable (no X server at DISPLAY=%s, no Wayland compositor at "
                 "WAYLAND_DISPLAY=%s)",
                 std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "(unset)",
                 std::getenv("WAYLAND_DISPLAY") ? std::getenv("WAYLAND_DISPLAY") : "(unset)");
}

const char* FindDialogFontFile()
{
    for (const char* path : kFontFiles)
        if (SDL_RWops* file = SDL_RWFromFile(path, "rb")) {
            SDL_RWclose(file);
            return path;
        }
    return nullptr;
}

const char* MissingDialogFontAdvice()
{
    static const std::string advice = std::string(kFontFiles[0]) + " is missing; install fonts-dejavu-core";
    return advice.c_str();
}

// GDK_SCALE (whole numbers, as the desktop sets it), else the X resource
// Xft.dpi over 96.
float DesktopScaleSetting(SDL_Window* window)
{
    if (const char* gdk = std::getenv("GDK_SCALE"); gdk != nullptr && *gdk != '\0') {
        const long value = std::strtol(gdk, nullptr, 10);
        if (value >= 1 && value <= 4) return static_cast<float>(value);
    }
    if (const int xftDpi = X11DesktopDpi(window); xftDpi > 0) return QuarterSteps(xftDpi / 96.0f);
    return 0.0f;
}

float DialogZoom(float, float) { return 1.0f; }
float DialogRoomToGrow(float) { return 1.0f; }

}  // namespace zelvik
