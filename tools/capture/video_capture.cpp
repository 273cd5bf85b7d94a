#include "capture/video_capture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <vector>

#include "canvas/canvas.h"
#include "capture/sound_schedule.h"
#include "capture/video_writer.h"
#include "display/display.h"
#include "display/scaler.h"
#include "driver/clock.h"
#include "driver/report.h"
#include "driver/stop_signals.h"
#include "show/setup.h"
#include "show/timeline.h"
#include "platform/audio/module_renderer.h"
#include "display/offscreen_display.h"

namespace zelvik {

namespace {

using Clock = std::chrono::steady_clock;

// The 32-bit off-screen surface every frame is presented into, as the
// live show presents into its back buffer.
bool OpenSurface()
{
    ConfigureOffscreenSurface(FindPixelFormat("32"), 0);
    UseDisplayBackend(&OffscreenDisplay);
    if (!InitDisplay("Demo", kCanvasWidth, kCanvasHeight)) return false;
    AppActive = 1;
    return true;
}

constexpr const char* kNoSurface = "cannot open the off-screen surface";

std::string MinutesAndSeconds(double seconds)
{
    const uint64_t whole = seconds > 0 ? static_cast<uint64_t>(seconds + 0.5) : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%" PRIu64 ":%02" PRIu64, whole / 60, whole % 60);
    return text;
}

// Progress on stderr: redrawn in place on a terminal, otherwise one line
// for every tenth of the work.
struct Progress {
    bool enabled;
    bool terminal;
    uint64_t total;
    uint32_t fps;
    Clock::time_point start;
    Clock::time_point lastDraw;
    uint64_t lastTenth;
};

void ShowProgress(Progress& p, uint64_t done)
{
    if (!p.enabled) return;
    const Clock::time_point now = Clock::now();
    const uint64_t tenth = done * 10 / p.total;
    if (p.terminal) {
        if (done != p.total && now - p.lastDraw < std::chrono::milliseconds(200)) return;
    } else if (tenth == p.lastTenth) {
        return;
    }
    p.lastDraw = now;
    p.lastTenth = tenth;
    const double elapsed = std::chrono::duration<double>(now - p.start).count();
    const double speed = elapsed > 0 ? static_cast<double>(done) / p.fps / elapsed : 0.0;
    const double left = done > 0 ? elapsed * static_cast<double>(p.total - done) / done : 0.0;
    char bar[21];
    const uint64_t filled = done * 20 / p.total;
    for (uint64_t i = 0; i < 20; ++i) bar[i] = i < filled ? '#' : '-';
    bar[20] = '\0';
    // On a terminal the line is rewritten in place (and the rest of the old
    // one cleared); elsewhere each report is a line of its own.
    if (p.terminal) {
        ReportProgress("[%s] %3" PRIu64 "%%  frame %" PRIu64 " of %" PRIu64 "  %.2fx real time  %s left\033[K",
                       bar, done * 100 / p.total, done, p.total, speed, MinutesAndSeconds(left).c_str());
        if (done == p.total) std::fputc('\n', stderr);
    } else {
        Report("[%s] %3" PRIu64 "%%  frame %" PRIu64 " of %" PRIu64 "  %.2fx real time  %s left", bar,
               done * 100 / p.total, done, p.total, speed, MinutesAndSeconds(left).c_str());
    }
}

// Each pixel of the canvas as an n x n block: rows of the source repeated
// across into the first row of the block, which is then copied down.
void RepeatPixels(const uint8_t* source, int32_t sourcePitch, uint8_t* out, int32_t n)
{
    const int32_t outPitch = kCanvasWidth * n * 4;
    for (int32_t y = 0; y < kCanvasHeight; ++y) {
        const uint8_t* in = source + static_cast<ptrdiff_t>(y) * sourcePitch;
        uint8_t* row = out + static_cast<ptrdiff_t>(y) * n * outPitch;
        for (int32_t x = 0; x < kCanvasWidth; ++x)
            for (int32_t k = 0; k < n; ++k) std::memcpy(row + (x * n + k) * 4, in + x * 4, 4);
        for (int32_t k = 1; k < n; ++k) std::memcpy(row + k * outPitch, row, static_cast<size_t>(outPitch));
    }
}

Outcome Fail(const std::string& path, const std::string& why)
{
    return Outcome{1, "cannot write " + path + ": " + why};
}

struct Resources {
    ModuleRenderer* music = nullptr;
    bool displayOpen = false;
    ~Resources()
    {
        AbandonVideoWriter();
        CloseScaler();
        CloseModuleRenderer(music);
        if (displayOpen) ShutdownDisplay();
    }
};

}  // namespace

Outcome RunVideoCapture(const VideoJob& job)
{
    Resources held;
    const uint32_t channels = job.mono ? 1 : 2;
    if (job.music) {
        struct stat info {};
        if (stat(job.musicPath.c_str(), &info) != 0)
            return Outcome{1, "--music " + job.musicPath + ": " + std::strerror(errno) +
                                  " (--no-music makes a silent video)"};
        // The live show's set-up: looping, ramping, sinc resampling.
        held.music = OpenModuleRenderer(job.musicPath.c_str(), job.rate, job.mono);
        if (held.music == nullptr) return Outcome{1, ""};  // the renderer said why
    }

    if (!OpenSurface()) return Outcome{1, kNoSurface};
    held.displayOpen = true;

    std::vector<uint8_t> frame;  // the scaled frame, when not the canvas's own pixels
    VideoSettings settings;
    settings.path = job.path;
    settings.fps = job.fps;
    settings.lossless = job.lossless;
    settings.chroma444 = job.chroma444;
    settings.compact = job.compact;
    settings.audio = job.music;
    settings.rate = job.rate;
    settings.channels = static_cast<int32_t>(channels);
    if (job.multiple > 0) {
        // Each pixel 1.2 times as tall as wide, so the picture shows at 4:3.
        settings.width = kCanvasWidth * job.multiple;
        settings.height = kCanvasHeight * job.multiple;
        settings.aspectNum = 5;
        settings.aspectDen = 6;
        if (job.multiple > 1)
            frame.resize(static_cast<size_t>(settings.width) * static_cast<size_t>(settings.height) * 4);
    } else {
        settings.width = job.width;
        settings.height = job.height;
        if (!PrepareScaler(job.width, job.height, kCanvasWidth, kCanvasHeight))
            return Fail(job.path, "the frame is too small for the picture");
        // Black borders once: the frames only ever overwrite the picture.
        frame.assign(static_cast<size_t>(job.width) * static_cast<size_t>(job.height) * 4, 0);
    }
    std::string failure = OpenVideoWriter(settings);
    if (!failure.empty()) return Fail(job.path, failure);

    // The show's start-up order: seed, set-up, then the frame loop.
    StartShow(job.seed, job.sheet.empty() ? nullptr : job.sheet.c_str());

    const uint64_t total = uint64_t{job.until} * job.fps / 100 + 1;
    // The largest share of samples one frame can have.
    std::vector<int16_t> samples((job.rate + job.fps - 1) / job.fps * channels);
    Progress progress{!job.quiet, isatty(STDERR_FILENO) != 0, total, job.fps, Clock::now(), {}, 0};
    // A stop signal ends the loop, even in a background job; a second one
    // ends the process at once.
    InstallStopSignalHandlers(/*keepIgnored=*/false, /*secondEndsProcess=*/true);

    for (uint64_t n = 0; n < total; ++n) {
        if (StopSignalReceived() != 0) break;
        RenderFrame(static_cast<uint32_t>(ScheduledDemoClock(n, job.fps)));
        if (!PresentFrame(TrueColourFrame)) return Fail(job.path, "cannot present the frame");
        const uint8_t* surface = OffscreenSurfacePixels();
        const int32_t pitch = OffscreenSurfacePitch();
        if (job.multiple == 1) {
            failure = WriteVideoPicture(surface, pitch);
        } else if (job.multiple > 1) {
            RepeatPixels(surface, pitch, frame.data(), job.multiple);
            failure = WriteVideoPicture(frame.data(), settings.width * 4);
        } else {
            const ScalerTarget target{frame.data(), job.width, job.height, job.width * 4};
            ScalePicture(ScalerSource{surface, kCanvasWidth, kCanvasHeight, pitch}, target);
            failure = WriteVideoPicture(frame.data(), target.pitch);
        }
        if (failure.empty() && held.music != nullptr) {
            const uint32_t count = SamplesOfFrame(n, job.rate, job.fps);
            RenderModuleFrames(held.music, samples.data(), count);
            failure = WriteVideoSamples(samples.data(), count);
        }
        // Once a second of video: a removed folder or partial file ends the
        // run now rather than at the rename after the whole show.
        if (failure.empty() && (n + 1) % job.fps == 0) failure = CheckVideoOutput();
        if (!failure.empty()) {
            if (progress.terminal && progress.enabled) std::fputc('\n', stderr);
            return Fail(job.path, failure);
        }
        ShowProgress(progress, n + 1);
    }
    if (StopSignalReceived() != 0) {
        AbandonVideoWriter();
        if (progress.terminal && progress.enabled) std::fputc('\n', stderr);
        return Outcome{130, std::string("stopped by ") + StopSignalName(StopSignalReceived()) + "; " +
                                job.path + " not written"};
    }
    failure = FinishVideoWriter();
    if (!failure.empty()) return Fail(job.path, failure);
    return Outcome{};
}

Outcome RunPipelineBenchmark(uint32_t seed, uint32_t fps, uint32_t until, const std::string& sheet,
                             bool quiet)
{
    if (!OpenSurface()) return Outcome{1, kNoSurface};
    StartShow(seed, sheet.empty() ? nullptr : sheet.c_str());

    // Frame times are counted in tenths of a microsecond, the resolution
    // they are printed with, up to 10 ms (slower frames share the last
    // count), so that memory stays the same however many frames are run:
    // a list of every time would grow by 8 bytes a frame.
    constexpr size_t kTenthsCounted = 100000;
    std::vector<uint64_t> counts(kTenthsCounted + 1);
    double fastest = 0.0, slowest = 0.0;
    const uint64_t total = uint64_t{until} * fps / 100 + 1;
    Progress progress{!quiet, isatty(STDERR_FILENO) != 0, total, fps, Clock::now(), {}, 0};
    const Clock::time_point start = Clock::now();
    for (uint64_t n = 0; n < total; ++n) {
        const Clock::time_point before = Clock::now();
        PresentShowFrame(static_cast<uint32_t>(ScheduledDemoClock(n, fps)));
        const double micros = std::chrono::duration<double, std::micro>(Clock::now() - before).count();
        ++counts[std::min(static_cast<size_t>(micros * 10.0), kTenthsCounted)];
        if (n == 0 || micros < fastest) fastest = micros;
        if (n == 0 || micros > slowest) slowest = micros;
        ShowProgress(progress, n + 1);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    ShutdownDisplay();

    // The median is the time of frame total / 2 in order of time.
    size_t tenth = 0;
    for (uint64_t seen = counts[0]; seen <= total / 2; seen += counts[++tenth]) {}
    char median[32];
    if (tenth == kTenthsCounted)
        std::snprintf(median, sizeof median, "over %.1f us", kTenthsCounted / 10.0);
    else
        std::snprintf(median, sizeof median, "%.1f us", static_cast<double>(tenth) / 10.0);
    std::printf("zelvik-capture: %" PRIu64 " frames (demo clock 0 ... %u at %u frames per second)"
                " drawn, expanded and presented into a 32-bit surface in %.3f s\n",
                total, until, fps, seconds);
    std::printf("  %.0f frames per second; per frame: min %.1f us, median %s, max %.1f us\n",
                static_cast<double>(total) / seconds, fastest, median, slowest);
    return Outcome{};
}

}  // namespace zelvik
