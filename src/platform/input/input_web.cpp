// The page's events reach the module between animation frames; listeners
// note them in a small queue (a JavaScript array of message and parameter
// pairs) and each frame hands the queue to the show's procedure, as a
// window system's message pump would:
// - a key: WM_KEYDOWN with the key's virtual key code (a browser's legacy
//   keyCode is that code), so Escape ends the show;
// - the page hidden or shown again (another tab, a minimised window, a
//   phone's screen switched off): WM_ACTIVATEAPP, so nothing is drawn while
//   no one can see it. Losing the keyboard alone does not count: a page
//   that is still visible is still watched;
// - leaving full screen (the browser's own Escape, a phone's back gesture):
//   WM_CLOSE, as the desktop's window closing would. A browser also leaves
//   full screen when the page is hidden (another tab chosen), and says so
//   at its next rendering step: mostly once the page is back, but now and
//   then just before the page is hidden. Neither is a request to end the
//   show, which then goes on in the page: a departure from full screen
//   counts only when the page has not been hidden since and is still shown
//   a moment later;
// - a tap of a finger on the page: WM_CLOSE, since a phone has no Escape
//   key. Only a tap that both began and ended while the show was up
//   counts: the tap on Start that began it does not.
#include "platform/input/input_web.h"

#include <emscripten.h>

namespace zelvik {

namespace {

WindowProc Proc;
WindowHandle Handle;

// clang-format off
EM_JS(void, ListenToPage, (int keyDown, int activate, int close), {
  const input = { queue: [], taps: new Set(), fullScreen: false, hiddenSinceChange: false, hides: 0 };
  const fullScreenElement = () => document.fullscreenElement || document.webkitFullscreenElement || null;
  input.fullScreen = Boolean(fullScreenElement());
  const note = (message, value) => { input.queue.push(message, value); };
  // Full screen entered or left (the standard event or the older prefixed
  // one, whichever the browser sends).
  const fullScreenChanged = () => {
    const now = Boolean(fullScreenElement());
    if (input.fullScreen && !now && !input.hiddenSinceChange) {
      const hides = input.hides;
      setTimeout(() => {
        if (input.hides === hides && document.visibilityState === 'visible') note(close, 0);
      }, 150);
    }
    input.fullScreen = now;
    input.hiddenSinceChange = false;
  };
  const listeners = [
    [window, 'keydown', (event) => note(keyDown, event.keyCode & 0xFF)],
    [document, 'visibilitychange', () => {
      const visible = document.visibilityState === 'visible';
      if (!visible) {
        input.hiddenSinceChange = true;
        ++input.hides;
      }
      note(activate, visible ? 1 : 0);
    }],
    [document, 'fullscreenchange', fullScreenChanged],
    [document, 'webkitfullscreenchange', fullScreenChanged],
    [document, 'pointerdown', (event) => { if (event.pointerType === 'touch') input.taps.add(event.pointerId); }],
    [document, 'pointerup', (event) => {
      if (event.pointerType === 'touch' && input.taps.delete(event.pointerId)) note(close, 0);
    }],
    [document, 'pointercancel', (event) => input.taps.delete(event.pointerId)],
  ];
  // (No destructuring here: the build's JavaScript minifier garbles it.)
  for (const entry of listeners) entry[0].addEventListener(entry[1], entry[2]);
  input.stop = () => {
    for (const entry of listeners) entry[0].removeEventListener(entry[1], entry[2]);
  };
  Module.zelvikInput = input;
  note(activate, document.visibilityState === 'visible' ? 1 : 0);
});

EM_JS(void, StopListening, (), {
  if (Module.zelvikInput) Module.zelvikInput.stop();
  Module.zelvikInput = null;
});

// The next noted event's message, its parameter in *value; 0 when none is
// left.
EM_JS(int, NextPageEvent, (int* value), {
  const input = Module.zelvikInput;
  if (!input || input.queue.length === 0) return 0;
  const message = input.queue.shift();
  HEAP32[value >> 2] = input.queue.shift();
  return message;
});
// clang-format on

}  // namespace

void SetDisplayWindowProc(WindowProc proc) { Proc = proc; }

void StartPageInput(WindowHandle handle)
{
    Handle = handle;
    ListenToPage(static_cast<int>(WM_KEYDOWN), static_cast<int>(WM_ACTIVATEAPP), static_cast<int>(WM_CLOSE));
    // The pointer is over the page from the start.
    if (Proc) Proc(Handle, WM_SETCURSOR, 0, 0);
}

void StopPageInput()
{
    StopListening();
    Handle = nullptr;
}

void PumpPageInput()
{
    int value = 0;
    while (const int message = NextPageEvent(&value)) {
        if (Proc) Proc(Handle, static_cast<uint32_t>(message), static_cast<uintptr_t>(value), 0);
    }
}

}  // namespace zelvik
