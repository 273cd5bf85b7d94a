#include "display/offscreen_display.h"

#include <cstring>
#include <vector>

namespace zelvik {

static const PixelFormatSpec* Format = &PixelFormats[0];
static int32_t RowPadding;
static uint8_t FillByte;
static bool ReportOverride;
static ReportedPixelFormat OverrideFormat;
static int32_t LocksToFail;
static int32_t ResetsToFail;
static OffscreenCounters Counters{0, 0, 0, 0, 0, 0, 0, 0, -1, 0};

// Allocated once when the surface opens; presentation never allocates.
static std::vector<uint8_t> Surface;
static int32_t Pitch;
static int32_t RowBytes;
static int32_t Height;
static bool Locked;

void ConfigureOffscreenSurface(const PixelFormatSpec* format, int32_t rowPadding, uint8_t fillByte)
{
    Format = format;
    RowPadding = rowPadding < 0 ? 0 : rowPadding;
    FillByte = fillByte;
}

void OverrideOffscreenReportedFormat(const ReportedPixelFormat* format)
{
    ReportOverride = format != nullptr;
    if (format) OverrideFormat = *format;
}

void FailOffscreenLocks(int32_t count) { LocksToFail = count; }
void FailOffscreenResets(int32_t count) { ResetsToFail = count; }

const OffscreenCounters& OffscreenDisplayCounters() { return Counters; }
const uint8_t* OffscreenSurfacePixels() { return Surface.data(); }
int32_t OffscreenSurfacePitch() { return Pitch; }
int32_t OffscreenSurfaceRowBytes() { return RowBytes; }
int32_t OffscreenSurfaceHeight() { return Height; }

static int Open(const char*, int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0) return 0;
    Counters = OffscreenCounters{0, 0, 0, 0, 0, 0, 0, 0, -1, 0};
    RowBytes = width * Format->bytesPerPixel;
    Pitch = RowBytes + RowPadding;
    Height = height;
    Surface.assign(static_cast<size_t>(Pitch) * static_cast<size_t>(height), FillByte);
    Locked = false;
    return 1;
}

static int GetPixelFormat(ReportedPixelFormat* format)
{
    if (ReportOverride) {
        *format = OverrideFormat;
        return 1;
    }
    *format = ReportedPixelFormat{kPixelFormatRgbFlag, Format->bitCount, Format->redMask,
                                  Format->greenMask, Format->blueMask};
    return 1;
}

static void PumpMessages() { ++Counters.pumps; }
static void Restore() { ++Counters.restores; }

static int Lock(LockedSurface* surface)
{
    ++Counters.locks;
    if (LocksToFail > 0 || Locked || Surface.empty()) {
        if (LocksToFail > 0) --LocksToFail;
        ++Counters.failedLocks;
        return 0;
    }
    Locked = true;
    surface->pixels = Surface.data();
    surface->pitch = Pitch;
    return 1;
}

static void Unlock(uint8_t*)
{
    ++Counters.unlocks;
    Locked = false;
}

static void Flip() { ++Counters.flips; }

static void Sleep(uint32_t milliseconds)
{
    // Off screen there is nothing to wait for; the count is what matters.
    ++Counters.sleeps;
    Counters.sleptMilliseconds += milliseconds;
}

static void SetScreenSaver(int enabled) { Counters.screenSaverEnabled = enabled; }

static void Close()
{
    Surface.clear();
    Surface.shrink_to_fit();
    Locked = false;
}

// The surface is memory that is never lost: making it again only means
// forgetting a lock left open. Injected lock failures stay injected.
static int Reset()
{
    ++Counters.resets;
    if (ResetsToFail > 0) {
        --ResetsToFail;
        return 0;
    }
    Locked = false;
    return Surface.empty() ? 0 : 1;
}

const DisplayBackend OffscreenDisplay = {
    "offscreen", Open, GetPixelFormat, PumpMessages, Restore, Lock, Unlock, Flip, Sleep,
    SetScreenSaver, Close, Reset,
};

}  // namespace zelvik
