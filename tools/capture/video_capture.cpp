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
#include "capture/video_scaler.h"
#include "capture/video_writer.h"
#include "display/display.h"
#include "driver/clock.h"
#include "driver/stop_signals.h"
#include "show/setup.h"
#include "show/timeline.h"
#include "platform/module_player.h"
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
    if (!InitDisplay("Demo", kCanvasWidth, kCanvasHeight)) {
        std::fprintf(stderr, "zelvik-capture: cannot open the off-screen surface\n");
        return false;
    }
    AppActive = 1;
    return true;
}

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
    std::fprintf(stderr, "%szelvik-capture: [%s] %3" PRIu64 "%%  frame %" PRIu64 " of %" PRIu64
                         "  %.2fx real time  %s left%s",
                 p.terminal ? "\r" : "", bar, done * 100 / p.total, done, p.total, speed,
                 MinutesAndSeconds(left).c_str(), p.terminal ? "\033[K" : "\n");
    if (p.terminal && done == p.total) std::fputc('\n', stderr);
}

int Fail(const std::string& path, const std::string& why)
{
    std::fprintf(stderr, "zelvik-capture: cannot write %s: %s\n", path.c_str(), why.c_str());
    return 1;
}

struct Resources {
    ModuleRenderer* music = nullptr;
    bool displayOpen = false;
    ~Resources()
    {
        AbandonVideoWriter();
        CloseVideoScaler();
        CloseModuleRenderer(music);
        if (displayOpen) ShutdownDisplay();
    }
};

}  // namespace

int RunVideoCapture(const VideoJob& job)
{
    Resources held;
    const uint32_t channels = job.mono ? 1 : 2;
    if (job.music) {
        struct stat info {};
        if (stat(job.musicPath.c_str(), &info) != 0) {
            std::fprintf(stderr, "zelvik-capture: --music %s: %s (--no-music makes a silent video)\n",
                         job.musicPath.c_str(), std::strerror(errno));
            return 1;
        }
        // The live show's set-up: looping, ramping, sinc resampling.
        held.music = OpenModuleRenderer(job.musicPath.c_str(), job.rate, job.mono);
        if (held.music == nullptr) return 1;  // the renderer said why
    }

    if (!OpenSurface()) return 1;
    held.displayOpen = true;

    VideoSettings settings;
    settings.path = job.path;
    settings.fps = job.fps;
    settings.lossless = job.lossless;
    settings.audio = job.music;
    settings.rate = job.rate;
    settings.channels = static_cast<int32_t>(channels);
    if (job.native) {
        // The canvas's own pixels, each 1.2 times as tall as wide: 4:3.
        settings.width = kCanvasWidth;
        settings.height = kCanvasHeight;
        settings.aspectNum = 5;
        settings.aspectDen = 6;
    } else {
        settings.width = job.width;
        settings.height = job.height;
        const std::string failure = OpenVideoScaler(job.width, job.height, kCanvasWidth, kCanvasHeight);
        if (!failure.empty()) return Fail(job.path, failure);
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
        failure = job.native ? WriteVideoPicture(surface, pitch)
                             : WriteVideoPicture(ScaleVideoPicture(surface, pitch), job.width * 4);
        if (failure.empty() && held.music != nullptr) {
            const uint32_t count = SamplesOfFrame(n, job.rate, job.fps);
            RenderModuleFrames(held.music, samples.data(), count);
            failure = WriteVideoSamples(samples.data(), count);
        }
        if (!failure.empty()) {
            if (progress.terminal && progress.enabled) std::fputc('\n', stderr);
            return Fail(job.path, failure);
        }
        ShowProgress(progress, n + 1);
    }
    if (StopSignalReceived() != 0) {
        AbandonVideoWriter();
        if (progress.terminal && progress.enabled) std::fputc('\n', stderr);
        std::fprintf(stderr, "zelvik-capture: stopped by %s; %s not written\n",
                     StopSignalName(StopSignalReceived()), job.path.c_str());
        return 130;
    }
    failure = FinishVideoWriter();
    if (!failure.empty()) return Fail(job.path, failure);
    return 0;
}

int RunPipelineBenchmark(uint32_t seed, uint32_t fps, uint32_t until, const std::string& sheet)
{
    if (!OpenSurface()) return 1;
    StartShow(seed, sheet.empty() ? nullptr : sheet.c_str());

    const uint64_t total = uint64_t{until} * fps / 100 + 1;
    std::vector<double> micros(total);
    const Clock::time_point start = Clock::now();
    for (uint64_t n = 0; n < total; ++n) {
        const Clock::time_point before = Clock::now();
        RenderFrame(static_cast<uint32_t>(ScheduledDemoClock(n, fps)));
        PresentFrame(TrueColourFrame);
        micros[n] = std::chrono::duration<double, std::micro>(Clock::now() - before).count();
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    ShutdownDisplay();

    std::sort(micros.begin(), micros.end());
    std::printf("zelvik-capture: %" PRIu64 " frames (demo clock 0 ... %u at %u frames per second)"
                " drawn, expanded and presented into a 32-bit surface in %.3f s\n",
                total, until, fps, seconds);
    std::printf("  %.0f frames per second; per frame: min %.1f us, median %.1f us, max %.1f us\n",
                static_cast<double>(total) / seconds, micros.front(), micros[total / 2], micros.back());
    return 0;
}

}  // namespace zelvik
