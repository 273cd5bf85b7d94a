// The show's picture in a web page. The page hands the module a canvas of
// its own for it (Module.pictureCanvas, beside the dialog's canvas); the
// canvas holds the 320 x 200 frame exactly, put there through a 2D context
// once per frame, and the page's style sheet scales it to the 4:3 picture
// with sharp pixels (image-rendering: pixelated). The browser's compositor
// does the scaling, off the page's thread. Drawing through SDL's renderer
// instead (WebGL: a texture upload, a scaled copy into an intermediate
// target and a second scaled copy per frame) cost most of a frame where
// WebGL runs on the processor, as it does on machines without a usable
// graphics driver.
//
// The back buffer is plain memory in the module: 32-bit words 0x00RRGGBB,
// the show's own frame words, so the frame is written straight into it. A
// canvas's image data wants the bytes red, green, blue, opacity in memory;
// each flip turns the words into that in one pass over the buffer (the
// red and blue bytes exchanged, the opacity byte set).
// The image data object is made once and made again only when the
// module's memory has grown (its old view is then gone): a flip allocates
// nothing.
#include "platform/display/display_web.h"

#include <SDL.h>
#include <emscripten.h>

#include <vector>

#include "platform/input/input_web.h"

namespace zelvik {

namespace {

std::vector<uint32_t> Pixels;
int32_t Width, Height;
WindowHandle Handle;

// clang-format off
EM_JS(int, OpenPicture, (int width, int height), {
  const canvas = Module.pictureCanvas;
  if (!canvas || !canvas.getContext) return 0;
  canvas.width = width;
  canvas.height = height;
  const context = canvas.getContext('2d', { alpha: false });
  if (!context) return 0;
  context.fillStyle = '#000';
  context.fillRect(0, 0, width, height);
  Module.zelvikPicture = { context, image: null, pixels: 0 };
  return 1;
});

EM_JS(void, PutPicture, (const uint8_t* pixels, int width, int height), {
  const picture = Module.zelvikPicture;
  if (!picture) return;
  if (!picture.image || picture.pixels !== pixels || picture.image.data.buffer !== HEAPU8.buffer) {
    picture.image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4), width, height);
    picture.pixels = pixels;
  }
  picture.context.putImageData(picture.image, 0, 0);
});

EM_JS(void, ClosePicture, (), { Module.zelvikPicture = null; });

// Keeps a phone's screen from dimming while the show plays, where the
// browser offers a wake lock; the browser lets go of it while the page is
// hidden, so it is asked for again when the page is shown.
EM_JS(void, KeepScreenAwake, (int awake), {
  const wake = Module.zelvikWake || (Module.zelvikWake = { wanted: false, lock: null });
  const ask = () => {
    if (!wake.wanted || wake.lock || !navigator.wakeLock || document.visibilityState !== 'visible') return;
    navigator.wakeLock.request('screen').then((lock) => {
      if (wake.wanted) {
        wake.lock = lock;
        lock.addEventListener('release', () => { wake.lock = null; });
      } else {
        lock.release();
      }
    }).catch(() => {});
  };
  if (!wake.listening) {
    wake.listening = true;
    document.addEventListener('visibilitychange', ask);
  }
  wake.wanted = Boolean(awake);
  if (wake.wanted) ask();
  else if (wake.lock) wake.lock.release().catch(() => {});
});
// clang-format on

int Open(const char*, int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0) {
        SDL_SetError("bad display size %dx%d", static_cast<int>(width), static_cast<int>(height));
        return 0;
    }
    if (!OpenPicture(width, height)) {
        SDL_SetError("the page has no canvas for the picture");
        return 0;
    }
    Width = width;
    Height = height;
    Pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    Handle = AttachWindowHandle(nullptr);
    StartPageInput(Handle);
    return 1;
}

int GetPixelFormat(ReportedPixelFormat* format)
{
    if (Pixels.empty()) return 0;
    // The frame's own words: the surface takes them unchanged, and Flip
    // puts them into the canvas's byte order.
    *format = ReportedPixelFormat{kPixelFormatRgbFlag, 32, 0x00FF0000, 0x0000FF00, 0x000000FF};
    return 1;
}

void PumpMessages() { PumpPageInput(); }

// Nothing is ever lost: the back buffer is the module's own memory.
void Restore() {}

int Lock(LockedSurface* surface)
{
    if (Pixels.empty()) return 0;
    surface->pixels = reinterpret_cast<uint8_t*>(Pixels.data());
    surface->pitch = Width * 4;
    return 1;
}

void Unlock(uint8_t*) {}

void Flip()
{
    // 0x00RRGGBB becomes 0xFFBBGGRR: bytes red, green, blue, opacity in
    // the memory of a little-endian machine, which WebAssembly is. The
    // buffer is written whole before each flip, so each word is turned once.
    for (uint32_t& pixel : Pixels)
        pixel = 0xFF000000u | ((pixel & 0xFF0000u) >> 16) | (pixel & 0xFF00u) | ((pixel & 0xFFu) << 16);
    PutPicture(reinterpret_cast<const uint8_t*>(Pixels.data()), Width, Height);
}

// A page never sleeps: the browser calls one step per animation frame
// (main_web.cpp) and sends none while the page is hidden.
void SleepFor(uint32_t) {}

void SetScreenSaver(int enabled) { KeepScreenAwake(enabled ? 0 : 1); }

void Close()
{
    StopPageInput();
    ClosePicture();
    DetachWindowHandle(Handle);
    Handle = nullptr;
    Pixels.clear();
    Pixels.shrink_to_fit();
}

int Reset() { return Pixels.empty() ? 0 : 1; }

}  // namespace

const DisplayBackend WebDisplay = {
    "web", Open, GetPixelFormat, PumpMessages, Restore, Lock, Unlock, Flip, SleepFor,
    SetScreenSaver, Close, Reset,
};

}  // namespace zelvik
