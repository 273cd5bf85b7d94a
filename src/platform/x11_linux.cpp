// X services through the libX11 that SDL's X11 driver loads at run time:
// the show does not link libX11 itself, so the functions it needs are
// looked up in the same library SDL uses.
#include "platform/x11.h"

#include <SDL_syswm.h>
#include <dlfcn.h>

#include <cstdlib>

#include "driver/report.h"

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

}  // namespace

void CatchX11Errors()
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

int X11ErrorsReported() { return Reported; }

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

}  // namespace zelvik
