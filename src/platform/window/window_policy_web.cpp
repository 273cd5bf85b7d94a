// A web page: the browser's canvas is the one display, and the page puts
// the dialog's font into the program's file system before it starts, at
// the place a Linux system keeps it. The browser scales the canvas itself.
#include <SDL.h>

#include "platform/window/window_policy.h"

namespace zelvik {

namespace {

constexpr const char* kPageFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

}  // namespace

void PrepareVideoStart() {}
int VideoStartRounds() { return 1; }
const char* PreferredVideoDriver() { return nullptr; }
bool VideoDriverMayWork(const char*) { return true; }
void ExplainNoDisplay() { SDL_SetError("no display reachable: the page has no canvas"); }

const char* FindDialogFontFile()
{
    SDL_RWops* file = SDL_RWFromFile(kPageFont, "rb");
    if (file == nullptr) return nullptr;
    SDL_RWclose(file);
    return kPageFont;
}

const char* MissingDialogFontAdvice() { return "the page did not load DejaVuSans.ttf"; }
float DesktopScaleSetting(SDL_Window*) { return 0.0f; }

}  // namespace zelvik
