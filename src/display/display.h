// Display output: opening a display of the show's size, presenting one
// frame per loop turn, and tearing it down. The work that touches a real
// window system lives in a back end (one file under src/platform each),
// reached through the small table of functions below; everything else,
// converter choice and the row loop, is the same for every back end.
#pragma once

#include <cstdint>

#include "display/convert.h"

namespace zelvik {

// Pixel format as a back end reports it.
inline constexpr uint32_t kPixelFormatRgbFlag = 0x40;
struct ReportedPixelFormat {
    uint32_t flags;  // kPixelFormatRgbFlag when the format is RGB
    uint32_t bitCount;
    uint32_t redMask;
    uint32_t greenMask;
    uint32_t blueMask;
};

struct LockedSurface {
    uint8_t* pixels;  // first byte of row 0
    int32_t pitch;    // bytes from one row to the next
};

struct DisplayBackend {
    const char* name;
    // Creates the window/surface for width x height pixels; 1 ok, 0 failure.
    int (*open)(const char* title, int32_t width, int32_t height);
    // Reports the back buffer's pixel format; 1 ok, 0 failure.
    int (*getPixelFormat)(ReportedPixelFormat* format);
    // Delivers pending window-system events to the show's window procedure
    // (Escape and close requests ask the show to end; its loop ends it).
    void (*pumpMessages)();
    // Gives lost surfaces back their memory; called every active frame.
    void (*restore)();
    // Locks the back buffer for writing; 1 ok, 0 failure.
    int (*lock)(LockedSurface* surface);
    void (*unlock)(uint8_t* pixels);
    // Shows the back buffer.
    void (*flip)();
    void (*sleep)(uint32_t milliseconds);
    // Screen saver on (1) or off (0).
    void (*setScreenSaver)(int enabled);
    // Releases everything open() made.
    void (*close)();
    // Makes the back buffer and what shows it again, for a back buffer that
    // stopped locking; 1 ok, 0 failure. May be nullptr: nothing to remake.
    int (*reset)();
};

// Non-zero while the show's window is active (focused); frames are drawn
// only then.
extern int32_t AppActive;

extern int32_t DisplayWidth;
extern int32_t DisplayHeight;

// Chooses the back end InitDisplay will use (the capture tool and tests use
// the off-screen surface, the show its window).
void UseDisplayBackend(const DisplayBackend* backend);

int InitDisplay(const char* name, int32_t width, int32_t height);
// Events, then the frame into the back buffer and onto the screen; 0 when
// the back buffer could not be locked (nothing was drawn).
int PresentFrame(const uint32_t* frame);

// Writes a frame of DisplayWidth x DisplayHeight 0x00RRGGBB words in the
// host's byte order, row y at destination + y * pitch.
using FrameWriter = void (*)(uint8_t* destination, int32_t pitch);

// As PresentFrame, with the frame produced by `write` once the surface is
// locked. When the surface takes the words unchanged (the plain 32-bit
// format), `write` fills the surface itself and `frame` is left as it was;
// otherwise `write` fills `frame` (DisplayWidth words a row), which is then
// converted as PresentFrame does. Nothing is written while the window is
// inactive or the lock fails.
int PresentFrameFrom(FrameWriter write, uint32_t* frame);
void ShutdownDisplay();

// Frames in a row whose back buffer would not lock before the display is
// made again, and again after that before it is given up.
inline constexpr int32_t kFailedFramesBeforeReset = 3;

enum class FrameOutcome {
    Shown,    // presented (or nothing to present while inactive)
    Skipped,  // not shown this time; the display is being recovered
    Lost,     // the display cannot show frames any more: end the show
};

// PresentFrame for the live loop. A back buffer that fails to lock for
// kFailedFramesBeforeReset frames in a row is made again through the back
// end's reset; when that fails, or the new one fails as many frames again,
// the display is lost. A frozen picture is never left running silently.
FrameOutcome PresentFrameOrRecover(const uint32_t* frame);
// The same bookkeeping for a frame presented another way (PresentFrameFrom):
// `presented` is that call's result.
FrameOutcome RecoverAfterPresent(int presented);

}  // namespace zelvik
