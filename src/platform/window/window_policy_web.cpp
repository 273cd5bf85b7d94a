// A web page: the browser's canvas is the one display, and the page puts
// the dialog's font into the program's file system before it starts, at
// the place a Linux system keeps it. The browser scales the canvas itself.
#include <SDL.h>
#include <emscripten.h>

#include <algorithm>

#include "platform/window/window_policy.h"

namespace zelvik {

namespace {

constexpr const char* kPageFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// clang-format off
// Clears the canvas's size from its inline style. SDL sizes the canvas in
// the page's pixels for a window only when the page's style gives it no
// size, and the hidden window that measured the screen's density left its
// own size there. Returns 0 when the page has no canvas.
EM_JS(int, ClearCanvasInlineSize, (), {
  const canvas = Module.canvas;
  if (!canvas) return 0;
  canvas.style.removeProperty('width');
  canvas.style.removeProperty('height');
  return 1;
});

// The size in CSS pixels of the area the page gives the canvas, on a touch
// screen (a coarse pointer); 0 by 0 elsewhere.
EM_JS(void, MeasureTouchArea, (int* width, int* height), {
  let w = 0;
  let h = 0;
  if (window.matchMedia && matchMedia('(pointer: coarse)').matches) {
    const canvas = Module.canvas;
    const area = (canvas && canvas.parentElement) || document.body;
    w = area.clientWidth;
    h = area.clientHeight;
  }
  HEAP32[width >> 2] = w;
  HEAP32[height >> 2] = h;
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

// On a touch screen the dialog fills the area the page gives it, up to four
// times its size, so that fingers can work it; elsewhere the area measures
// 0 by 0 and the dialog keeps its size.
float DialogZoom(float pointsW, float pointsH)
{
    // The dialog's window is made next: its canvas must be free of the
    // size the density measurement left, for SDL to size it.
    if (!ClearCanvasInlineSize()) return 1.0f;
    int width = 0;
    int height = 0;
    MeasureTouchArea(&width, &height);
    const double zoom =
        std::min({width / static_cast<double>(pointsW), height / static_cast<double>(pointsH), 4.0});
    return static_cast<float>(zoom > 1 ? zoom : 1);
}

// On a touch screen the dialog may grow taller, as far as that area's
// height allows (its buttons made large enough for fingers).
float DialogRoomToGrow(float pointsH)
{
    int width = 0;
    int height = 0;
    MeasureTouchArea(&width, &height);
    const double room = height / static_cast<double>(pointsH);
    return static_cast<float>(room > 1 ? room : 1);
}

}  // namespace zelvik
