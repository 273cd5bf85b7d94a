#include "display/display.h"

namespace zelvik {

int32_t AppActive;
int32_t DisplayWidth;
int32_t DisplayHeight;
RowConverter ActiveRowConverter;

static const DisplayBackend* Backend;
static bool DisplayOpen;
// Frames in a row that could not be drawn, and whether the display was
// made again since the last frame that was.
static int32_t FailedFrames;
static bool ResetSinceShown;

void UseDisplayBackend(const DisplayBackend* backend) { Backend = backend; }
const DisplayBackend* CurrentDisplayBackend() { return Backend; }

int InitDisplay(const char* name, int32_t width, int32_t height)
{
    DisplayWidth = width;
    DisplayHeight = height;
    if (Backend == nullptr) return 0;
    if (!Backend->open(name, width, height)) return 0;
    DisplayOpen = true;
    FailedFrames = 0;
    ResetSinceShown = false;

    ReportedPixelFormat format{};
    if (!Backend->getPixelFormat(&format)) return 0;
    if ((format.flags & kPixelFormatRgbFlag) == 0) return 0;
    ActiveRowConverter =
        SelectRowConverter(format.bitCount, format.redMask, format.greenMask, format.blueMask);
    if (ActiveRowConverter == nullptr) return 0;

    Backend->setScreenSaver(0);
    return 1;
}

int PresentFrame(const uint32_t* frame)
{
    // Events first: Escape or a close request may end the process here.
    Backend->pumpMessages();
    if (AppActive == 0) {
        // Inactive: draw nothing and keep the loop from spinning; the show's
        // clock keeps running, so the show resumes at the current moment.
        Backend->sleep(1);
        return 1;
    }
    Backend->restore();
    LockedSurface surface{};
    if (!Backend->lock(&surface)) return 0;
    ConvertFrame(frame, DisplayWidth, DisplayHeight, surface.pixels, surface.pitch,
                 ActiveRowConverter);
    Backend->unlock(surface.pixels);
    Backend->flip();
    Backend->sleep(0);
    return 1;
}

FrameOutcome PresentFrameOrRecover(const uint32_t* frame)
{
    if (PresentFrame(frame)) {
        FailedFrames = 0;
        ResetSinceShown = false;
        return FrameOutcome::Shown;
    }
    if (++FailedFrames < kFailedFramesBeforeReset) return FrameOutcome::Skipped;
    // A second run of failures right after a reset: the new back buffer is
    // no better than the old one.
    if (ResetSinceShown || Backend->reset == nullptr) return FrameOutcome::Lost;
    FailedFrames = 0;
    ResetSinceShown = true;
    return Backend->reset() ? FrameOutcome::Skipped : FrameOutcome::Lost;
}

void ShutdownDisplay()
{
    if (Backend != nullptr && DisplayOpen) {
        Backend->close();
        DisplayOpen = false;
    }
    if (Backend != nullptr) Backend->setScreenSaver(1);
    ActiveRowConverter = nullptr;
}

}  // namespace zelvik
