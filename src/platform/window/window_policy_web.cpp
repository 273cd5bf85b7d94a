// A web page: the browser's canvas is the one display, and the page puts
// the dialog's font into the program's file system before it starts, at
// the place a Linux system keeps it. The browser scales the canvas itself.
#include <SDL.h>
#include <emscripten.h>

#include "platform/window/window_policy.h"

namespace zelvik {

namespace {

constexpr const char* kPageFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// SDL sizes the canvas in the page's pixels for a window only when the
// page's style gives it no size; the hidden window that measured the
// screen's density left its own size there, so it is cleared first. On a
// touch screen (a coarse pointer) the dialog then fills the area the page
// gives it, up to four times its size, so that fingers can work it.
// clang-format off
EM_JS(double, FitDialogToPage, (double width, double height), {
  const canvas = Module.canvas;
  if (!canvas) return 1;
  canvas.style.removeProperty('width');
  canvas.style.removeProperty('height');
  if (!window.matchMedia || !matchMedia('(pointer: coarse)').matches) return 1;
  const area = canvas.parentElement || document.body;
  const zoom = Math.min(area.clientWidth / width, area.clientHeight / height, 4);
  return zoom > 1 ? zoom : 1;
});
// On a touch screen the dialog may then grow taller, as far as that area's
// height allows (its buttons made large enough for fingers).
EM_JS(double, RoomForDialogHeight, (double height), {
  if (!window.matchMedia || !matchMedia('(pointer: coarse)').matches) return 1;
  const canvas = Module.canvas;
  const area = (canvas && canvas.parentElement) || document.body;
  const room = area.clientHeight / height;
  return room > 1 ? room : 1;
});
// clang-format on

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

float DialogZoom(float pointsW, float pointsH)
{
    return static_cast<float>(FitDialogToPage(pointsW, pointsH));
}

float DialogRoomToGrow(float pointsH) { return static_cast<float>(RoomForDialogHeight(pointsH)); }

}  // namespace zelvik
