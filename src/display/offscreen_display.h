// The off-screen display back end: a memory surface in any of the eight
// pixel formats, with a pitch that may exceed a row's bytes. It is locked,
// filled and flipped like a real back buffer, and counts what was done to
// it so that tests can see how presentation used it.
#pragma once

#include <cstdint>

#include "display/display.h"

namespace zelvik {

extern const DisplayBackend OffscreenDisplay;

// Sets the format and the padding added to each row's bytes (pitch =
// width * bytes per pixel + padding) for the next open. The surface starts
// filled with fillByte, so that untouched bytes can be recognised.
void ConfigureOffscreenSurface(const PixelFormatSpec* format, int32_t rowPadding,
                               uint8_t fillByte = 0);

// Reports this format instead of the configured one (for testing formats
// the show cannot draw into); nullptr goes back to the configured format.
void OverrideOffscreenReportedFormat(const ReportedPixelFormat* format);

// Makes the next `count` locks fail.
void FailOffscreenLocks(int32_t count);

// Makes the next `count` resets fail.
void FailOffscreenResets(int32_t count);

struct OffscreenCounters {
    int32_t pumps;
    int32_t restores;
    int32_t locks;
    int32_t failedLocks;
    int32_t unlocks;
    int32_t flips;
    int32_t sleeps;
    uint32_t sleptMilliseconds;
    int32_t screenSaverEnabled;  // last value set, -1 before any
    int32_t resets;
};
const OffscreenCounters& OffscreenDisplayCounters();

// The surface's memory (valid while open) and its geometry.
const uint8_t* OffscreenSurfacePixels();
int32_t OffscreenSurfacePitch();
int32_t OffscreenSurfaceRowBytes();
int32_t OffscreenSurfaceHeight();

}  // namespace zelvik
