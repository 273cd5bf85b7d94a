#include "display/display.h"

#include "display/display_testing.h"

namespace zelvik {

int32_t AppActive;
int32_t DisplayWidth;
int32_t DisplayHeight;
RowConverter ActiveRowConverter;

static const DisplayBackend* Backend;
static bool DisplayOpen;
// Set only during PresentFrameFrom: the frame is produced when the surface
// is locked, when the converter in force then is known.
static FrameWriter PendingWriter;
static uint32_t* PendingFrame;

// Frames in a row that could not be drawn, and whether the display was
// made again since the last frame that was.
static int32_t FailedFrames;
static bool ResetSinceShown;

void UseDisplayBackend(const DisplayBackend* backend) { Backend = backend; }

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

static void WriteSurface(const uint32_t* frame, const LockedSurface& surface)
{
    if (PendingWriter != nullptr && ActiveRowConverter == CopyRow32) {
        // The surface's rows are the frame's words: written there directly,
        // one pass instead of two.
        PendingWriter(surface.pixels, surface.pitch);
        return;
    }
    if (PendingWriter != nullptr) PendingWriter(reinterpret_cast<uint8_t*>(PendingFrame), DisplayWidth * 4);
    ConvertFrame(frame, DisplayWidth, DisplayHeight, surface.pixels, surface.pitch,
                 ActiveRowConverter);
}

int PresentFrame(const uint32_t* frame)
{
    // Events first: the window procedure sees Escape or a close request
    // before the frame, and the show's loop ends the show after it.
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
    WriteSurface(frame, surface);
    Backend->unlock(surface.pixels);
    Backend->flip();
    Backend->sleep(0);
    return 1;
}

int PresentFrameFrom(FrameWriter write, uint32_t* frame)
{
    // While the window is inactive nothing is locked and nothing written.
    PendingWriter = write;
    PendingFrame = frame;
    const int presented = PresentFrame(frame);
    PendingWriter = nullptr;
    PendingFrame = nullptr;
    return presented;
}

FrameOutcome RecoverAfterPresent(int presented)
{
    if (presented) {
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

FrameOutcome PresentFrameOrRecover(const uint32_t* frame)
{
    return RecoverAfterPresent(PresentFrame(frame));
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
