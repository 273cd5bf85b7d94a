// zelvik-capture: runs the show without window, sound or dialog, on a fixed
// frame schedule, and writes the frames it is asked for. The same seed and
// arguments always give the same files.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "canvas/canvas.h"
#include "shared/png_writer.h"
#include "shared/whole_file.h"
#include "capture/video_capture.h"
#include "capture/video_writer.h"
#include "display/display.h"
#include "display/offscreen_display.h"
#include "driver/clock.h"
#include "driver/report.h"
#include "platform/files/data_files.h"
#include "show/setup.h"
#include "show/timeline.h"
#include "zelvik_version.h"

namespace {

using namespace zelvik;

constexpr uint32_t kDefaultUntil = kFinaleStartClock + 1000;  // ten seconds of finale
constexpr int32_t kSurfaceRowPadding = 64;        // a pitch wider than a row, as real surfaces have
constexpr uint64_t kMaxMultiple = 21;              // 6720x4200, inside the largest frame of --size WxH
constexpr uint64_t kOpusRate = 48000;

struct Options {
    uint32_t seed = 0;
    uint32_t fps = 60;
    bool untilGiven = false;
    uint32_t until = kDefaultUntil;
    std::set<uint32_t> at;
    std::string pngDir;
    const PixelFormatSpec* format = nullptr;
    std::string surfaceDir;
    std::string sheet;  // found by FindDataFile unless --sheet is given
    bool sheetGiven = false;
    bool quiet = false;
    bool fpsGiven = false;
    bool bench = false;
    bool help = false;
    bool version = false;
    bool listRanges = false;
    bool videoGiven = false;
    VideoJob video;
};

std::string InstalledFolderForHelp()
{
    const std::string folder = InstalledDataFolder();
    return folder.empty() ? "(unknown)" : folder;
}

void PrintHelp()
{
    std::printf(
        "Usage: zelvik-capture [options]\n"
        "Runs the show headless and deterministically and writes its frames.\n"
        "Frame n is drawn at demo clock floor(n * 100 / FPS) (hundredths of a second).\n"
        "\n"
        "  --seed N          seed of the random generator, 0 ... 4294967295 (default 0)\n"
        "  --fps F           frames per second of the schedule, 1 ... 1000 (default 60)\n"
        "  --until T         last demo clock to draw, in hundredths (default %u:\n"
        "                    the scripted show plus ten seconds of finale)\n"
        "  --at T1,T2,...    write only the frames drawn at exactly these demo clocks;\n"
        "                    without --until, drawing stops after the largest\n"
        "  --png DIR         write each frame as an 8-bit indexed PNG (canvas indices,\n"
        "                    palette as colour table) named clock_NNNNNN.png\n"
        "  --format NAME     pixel format of the off-screen surface: 32, 32-swapped, 24,\n"
        "                    24-swapped, 565, 565-swapped, 555, 555-swapped\n"
        "  --surface DIR     present each written frame into the surface of --format and\n"
        "                    write its pixel rows back to back as clock_NNNNNN.raw\n"
        "  --sheet PATH      sprite sheet to load (default scene1.bmp of the working\n"
        "                    folder, else of the installed data folder %s)\n"
        "  --quiet           no progress display\n"
        "  --list-ranges     print the show's script, one range a line: its first demo\n"
        "                    clock, the first clock after it (- for the last, which\n"
        "                    runs for ever), the clock its scene clock counts from, the\n"
        "                    clocks from which a step of it counts a clock of its own\n"
        "                    and runs (after that clock; - for none), and its name\n"
        "  --help            this text\n"
        "  --version         the version number\n"
        "\n"
        "Video (every frame of the schedule, with the music, in sync):\n"
        "  --video FILE      write the show as a video file; its name picks the kind:\n"
        "                      .mp4 .m4v .mov  H.264 High (4:2:0) + AAC-LC: plays in\n"
        "                                      web browsers, phones, the systems' own\n"
        "                                      players and hardware decoders\n"
        "                      .webm           VP9 + Opus: plays in Chrome, Firefox,\n"
        "                                      Edge, Android, and where only WebM is\n"
        "                                      taken\n"
        "                      .mkv            H.264 + AAC in Matroska: players built\n"
        "                                      on FFmpeg (VLC, mpv)\n"
        "                    written as FILE.part and renamed when complete. Ctrl+C\n"
        "                    stops it (exit status 130)\n"
        "  --size Nx         each canvas pixel a block of N x N, N 1 ... 21, marked in\n"
        "                    the file as 1.2 times as tall as wide (4:3 on playback);\n"
        "                    the default is 4x: 1280x800, shown as 1280x960\n"
        "  --size native     the canvas's own 320x200 pixels (1x)\n"
        "  --size WxH        frame size, even numbers 16x16 ... 7680x4320: the picture\n"
        "                    at 4:3, as large as fits, centred on black, scaled sharp\n"
        "                    then smooth as on a screen (default 1280x960 with\n"
        "                    --chroma 444 and --lossless)\n"
        "  --chroma 444      H.264 High 4:4:4 Predictive, colour at full resolution\n"
        "                    (the default is 420): for archives and players built on\n"
        "                    FFmpeg; web pages do not offer it, and phones, Apple's\n"
        "                    and Windows' players and hardware decoders cannot play it\n"
        "  --compact         H.264 from a slower preset: about half the size, same\n"
        "                    picture quality, about a quarter of the speed\n"
        "  --lossless        FFV1 (the presented RGB pixels exactly) + FLAC; needs .mkv;\n"
        "                    players built on FFmpeg\n"
        "  --music PATH      the module to play (default demo.xm, found as scene1.bmp\n"
        "                    is); when it cannot be loaded the capture fails\n"
        "  --rate HZ         music sample rate, 22050, 44100 or 48000 (default 44100;\n"
        "                    .webm: 48000, Opus's only rate)\n"
        "  --mono            one music channel (default stereo)\n"
        "  --no-music        a video without sound\n"
        "\n"
        "  --bench           draw, expand and present every frame into a 32-bit surface\n"
        "                    with no output and print frames per second and per-frame\n"
        "                    times (the schedule's --fps defaults to 100 here)\n"
        "\n"
        "Exit status: 0 done, 1 output could not be written, 2 bad arguments,\n"
        "130 video stopped by SIGINT or SIGTERM.\n",
        kDefaultUntil, InstalledFolderForHelp().c_str());
}

// The options followed by a value.
const std::set<std::string> kTakesValue = {"--seed",  "--fps",     "--until", "--at",
                                           "--png",   "--format",  "--surface", "--sheet",
                                           "--video", "--size",    "--music", "--rate",
                                           "--chroma"};

std::string BadArgument(const std::string& argument, const std::string& why)
{
    return argument + ": " + why;
}

bool ParseUnsigned(const char* text, uint64_t limit, uint64_t* value)
{
    if (*text < '0' || *text > '9') return false;
    uint64_t result = 0;
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9') return false;
        result = result * 10 + static_cast<uint64_t>(*p - '0');
        if (result > limit) return false;
    }
    *value = result;
    return true;
}

// True when some frame n of the schedule is drawn at exactly this clock.
bool ClockIsDrawn(uint32_t clock, uint32_t fps)
{
    const uint64_t n = (uint64_t{clock} * fps + 99) / 100;  // first frame at or after the clock
    return ScheduledDemoClock(n, fps) == clock;
}

// The script's rows, tab-separated, for scripts and tests that need the
// scene boundaries (see --help).
void PrintRanges()
{
    std::printf("# start\tend\torigin\tstep-origins\tname\n");
    for (int32_t i = 0; i < kScriptRowCount; ++i) {
        const ScriptRow& row = kScript[i];
        std::string end = "-";
        if (i + 1 < kScriptRowCount) end = std::to_string(ScriptRowEnd(i));
        std::string own;
        for (const ScriptStep& step : row.steps)
            if (step.run != nullptr && step.ownOrigin != 0) {
                if (!own.empty()) own += ',';
                own += std::to_string(step.ownOrigin);
            }
        std::printf("%u\t%s\t%u\t%s\t%s\n", row.start, end.c_str(), row.origin, own.empty() ? "-" : own.c_str(),
                    row.name);
    }
}

// Fills `options` from the command line; returns "" or what is wrong with
// which argument.
std::string ParseOptions(int argc, char** argv, Options& options)
{
    std::string formatName;
    std::vector<std::string> videoOnly;  // options that only mean something with --video
    std::string musicSetting;            // an option about the music, if any was given
    bool musicGiven = false;
    bool sizeGiven = false;
    bool chromaGiven = false;
    bool rateGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (kTakesValue.count(argument) != 0 && i + 1 >= argc)
            return BadArgument(argument, "needs a value");
        auto value = [&]() -> const char* { return argv[++i]; };
        uint64_t number = 0;
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            return "";
        } else if (argument == "--version") {
            options.version = true;
            return "";
        } else if (argument == "--list-ranges") {
            options.listRanges = true;
            return "";
        } else if (argument == "--seed") {
            const char* text = value();
            if (!ParseUnsigned(text, UINT32_MAX, &number))
                return BadArgument(argument, std::string("'") + text + "' is not a number 0 ... 4294967295");
            options.seed = static_cast<uint32_t>(number);
        } else if (argument == "--fps") {
            const char* text = value();
            if (!ParseUnsigned(text, 1000, &number) || number < 1)
                return BadArgument(argument, std::string("'") + text + "' is not a whole number 1 ... 1000");
            options.fps = static_cast<uint32_t>(number);
            options.fpsGiven = true;
        } else if (argument == "--until") {
            const char* text = value();
            if (!ParseUnsigned(text, UINT32_MAX, &number))
                return BadArgument(argument, std::string("'") + text + "' is not a demo clock 0 ... 4294967295");
            options.until = static_cast<uint32_t>(number);
            options.untilGiven = true;
        } else if (argument == "--at") {
            const std::string list = value();
            size_t start = 0;
            while (true) {
                const size_t comma = list.find(',', start);
                const std::string item = list.substr(start, comma - start);
                if (!ParseUnsigned(item.c_str(), UINT32_MAX, &number))
                    return BadArgument(argument, "'" + item + "' is not a demo clock 0 ... 4294967295");
                options.at.insert(static_cast<uint32_t>(number));
                if (comma == std::string::npos) break;
                start = comma + 1;
            }
        } else if (argument == "--png") {
            options.pngDir = value();
            if (options.pngDir.empty()) return BadArgument(argument, "needs a folder");
        } else if (argument == "--format") {
            formatName = value();
            options.format = FindPixelFormat(formatName.c_str());
            if (options.format == nullptr)
                return BadArgument(argument, "'" + formatName +
                                          "' is not one of 32, 32-swapped, 24, 24-swapped, 565, "
                                          "565-swapped, 555, 555-swapped");
        } else if (argument == "--surface") {
            options.surfaceDir = value();
            if (options.surfaceDir.empty()) return BadArgument(argument, "needs a folder");
        } else if (argument == "--sheet") {
            options.sheet = value();
            options.sheetGiven = true;
            if (options.sheet.empty()) return BadArgument(argument, "needs a file");
        } else if (argument == "--quiet") {
            options.quiet = true;
        } else if (argument == "--bench") {
            options.bench = true;
        } else if (argument == "--video") {
            options.video.path = value();
            options.videoGiven = true;
            if (VideoContainerFor(options.video.path) == nullptr)
                return BadArgument(argument, "'" + options.video.path +
                                          "' does not end in .mp4, .m4v, .mov, .mkv or .webm");
        } else if (argument == "--size") {
            videoOnly.push_back(argument);
            sizeGiven = true;
            const std::string text = value();
            if (text == "native") {
                options.video.multiple = 1;
            } else if (!text.empty() && text.back() == 'x') {
                // Each canvas pixel n x n: at most the largest frame.
                if (!ParseUnsigned(text.substr(0, text.size() - 1).c_str(), kMaxMultiple, &number) || number < 1)
                    return BadArgument(argument, "'" + text + "' is not Nx with N 1 ... " +
                                                     std::to_string(kMaxMultiple));
                options.video.multiple = static_cast<int32_t>(number);
            } else {
                const size_t x = text.find('x');
                uint64_t w = 0, h = 0;
                if (x == std::string::npos || !ParseUnsigned(text.substr(0, x).c_str(), 7680, &w) ||
                    !ParseUnsigned(text.substr(x + 1).c_str(), 4320, &h) || w < 16 || h < 16 ||
                    w % 2 != 0 || h % 2 != 0)
                    return BadArgument(argument, "'" + text +
                                              "' is not native or WxH with even W 16 ... 7680 and "
                                              "even H 16 ... 4320");
                options.video.multiple = 0;
                options.video.width = static_cast<int32_t>(w);
                options.video.height = static_cast<int32_t>(h);
            }
        } else if (argument == "--lossless") {
            videoOnly.push_back(argument);
            options.video.lossless = true;
        } else if (argument == "--chroma") {
            videoOnly.push_back(argument);
            const std::string text = value();
            if (text != "420" && text != "444") return BadArgument(argument, "'" + text + "' is not 420 or 444");
            options.video.chroma444 = text == "444";
            chromaGiven = true;
        } else if (argument == "--compact") {
            videoOnly.push_back(argument);
            options.video.compact = true;
        } else if (argument == "--music") {
            videoOnly.push_back(argument);
            musicSetting = argument;
            musicGiven = true;
            options.video.musicPath = value();
            if (options.video.musicPath.empty()) return BadArgument(argument, "needs a file");
        } else if (argument == "--rate") {
            videoOnly.push_back(argument);
            musicSetting = argument;
            const char* text = value();
            if (!ParseUnsigned(text, kOpusRate, &number) ||
                (number != 22050 && number != 44100 && number != kOpusRate))
                return BadArgument(argument, std::string("'") + text + "' is not 22050, 44100 or 48000");
            options.video.rate = static_cast<uint32_t>(number);
            rateGiven = true;
        } else if (argument == "--mono") {
            videoOnly.push_back(argument);
            musicSetting = argument;
            options.video.mono = true;
        } else if (argument == "--no-music") {
            videoOnly.push_back(argument);
            options.video.music = false;
        } else {
            return BadArgument(argument, "unknown option");
        }
    }
    if (!options.surfaceDir.empty() && options.format == nullptr)
        return BadArgument("--surface", "needs --format");
    if (options.format != nullptr && options.surfaceDir.empty())
        return BadArgument("--format", "needs --surface");
    if (!options.videoGiven && !videoOnly.empty()) return BadArgument(videoOnly.front(), "needs --video");
    if (options.videoGiven || options.bench) {
        const char* mode = options.videoGiven ? "--video" : "--bench";
        if (options.videoGiven && options.bench) return BadArgument("--bench", "cannot be used with --video");
        if (!options.at.empty()) return BadArgument("--at", std::string("cannot be used with ") + mode);
        if (!options.pngDir.empty()) return BadArgument("--png", std::string("cannot be used with ") + mode);
        if (!options.surfaceDir.empty())
            return BadArgument("--surface", std::string("cannot be used with ") + mode);
    }
    if (options.videoGiven) {
        if (!options.video.music && !musicSetting.empty())
            return BadArgument(musicSetting, "cannot be used with --no-music");
        if (options.video.lossless &&
            std::strcmp(VideoContainerFor(options.video.path), "matroska") != 0)
            return BadArgument("--lossless", "needs a .mkv name for --video");
        if (options.video.lossless && options.video.compact)
            return BadArgument("--compact", "cannot be used with --lossless");
        if (options.video.lossless && chromaGiven)
            return BadArgument("--chroma", "cannot be used with --lossless (its pixels are RGB)");
        if (std::strcmp(VideoContainerFor(options.video.path), "webm") == 0) {
            if (options.video.compact) return BadArgument("--compact", "cannot be used with a .webm name");
            // Opus plays at 48000 Hz only: the music is rendered at that rate.
            if (rateGiven && options.video.rate != kOpusRate)
                return BadArgument("--rate", "must be 48000 for a .webm name (Opus)");
            options.video.rate = kOpusRate;
        }
        // Full-resolution colour and lossless video keep the square pixels of
        // a 1280x960 frame; 4:2:0 makes each canvas pixel a 4x4 block, so
        // that every 2x2 colour block lies inside one canvas pixel.
        if (!sizeGiven && (options.video.lossless || options.video.chroma444)) options.video.multiple = 0;
    }
    if (options.bench && !options.fpsGiven) options.fps = 100;
    if (!options.at.empty() && !options.untilGiven) options.until = *options.at.rbegin();
    // The data files by default: the working folder's, else the installed
    // ones. A sheet found nowhere leaves the show without its pictures; a
    // video without its music cannot be made. Either way the finder has
    // said where it looked.
    if (!options.sheetGiven) options.sheet = FindDataFile("scene1.bmp");
    if (options.videoGiven && options.video.music && !musicGiven) {
        options.video.musicPath = FindDataFile("demo.xm");
        if (options.video.musicPath.empty()) std::exit(1);
    }
    for (uint32_t clock : options.at)
        if (!ClockIsDrawn(clock, options.fps))
            return BadArgument("--at", "no frame is drawn at demo clock " + std::to_string(clock) +
                                           " with --fps " + std::to_string(options.fps));
    return "";
}

// Creates the folder if needed and makes sure files can be written into
// it. Returns "" or why not.
std::string PrepareFolder(const std::string& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return "cannot create folder " + folder + ": " + error.message();
    if (!std::filesystem::is_directory(folder)) return "cannot write into folder " + folder + ": not a folder";
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        return "cannot write into folder " + folder + ": " + std::strerror(errno);
    return "";
}

std::string FrameName(const std::string& folder, uint32_t clock, const char* extension)
{
    char name[32];
    std::snprintf(name, sizeof name, "clock_%06" PRIu32 ".%s", clock, extension);
    return (std::filesystem::path(folder) / name).string();
}

// Writes the surface's rows back to back, without its pitch padding, under
// a temporary name renamed when complete. Returns "" or why it failed
// (nothing is then left under either name).
std::string WriteSurface(const std::string& path, std::vector<uint8_t>& rows)
{
    const int32_t rowBytes = OffscreenSurfaceRowBytes();
    const int32_t pitch = OffscreenSurfacePitch();
    const uint8_t* surface = OffscreenSurfacePixels();
    for (int32_t y = 0; y < OffscreenSurfaceHeight(); ++y)
        std::memcpy(rows.data() + static_cast<size_t>(y) * rowBytes,
                    surface + static_cast<size_t>(y) * pitch, static_cast<size_t>(rowBytes));
    return WriteWholeFile(path, rows.data(), rows.size());
}

Outcome WriteFailed(const std::string& path, const std::string& why)
{
    return Outcome{1, "cannot write " + path + ": " + why};
}

// Draws the schedule and writes the frames asked for as PNGs and/or raw
// surfaces.
Outcome CaptureFrames(const Options& options)
{
    std::string failure;
    if (!options.pngDir.empty() && !(failure = PrepareFolder(options.pngDir)).empty())
        return Outcome{1, failure};
    if (!options.surfaceDir.empty() && !(failure = PrepareFolder(options.surfaceDir)).empty())
        return Outcome{1, failure};

    if (options.format != nullptr) {
        ConfigureOffscreenSurface(options.format, kSurfaceRowPadding);
        UseDisplayBackend(&OffscreenDisplay);
        if (!InitDisplay("Demo", kCanvasWidth, kCanvasHeight))
            return Outcome{1, "cannot open the off-screen surface"};
        AppActive = 1;
    }
    std::vector<uint8_t> surfaceRows(options.format != nullptr
                                         ? static_cast<size_t>(OffscreenSurfaceRowBytes()) *
                                               static_cast<size_t>(OffscreenSurfaceHeight())
                                         : 0);

    // The show's start-up order: seed, set-up, then the frame loop.
    StartShow(options.seed, options.sheet.empty() ? nullptr : options.sheet.c_str());

    const bool writeAll = options.at.empty();
    const uint64_t totalFrames = uint64_t{options.until} * options.fps / 100 + 1;
    const bool showProgress = !options.quiet && isatty(STDERR_FILENO) &&
                              (!options.pngDir.empty() || !options.surfaceDir.empty());
    uint64_t lastPercent = 101;
    Outcome outcome;
    for (uint64_t n = 0;; ++n) {
        const uint64_t clock64 = ScheduledDemoClock(n, options.fps);
        if (clock64 > options.until) break;
        const uint32_t clock = static_cast<uint32_t>(clock64);
        RenderFrame(clock);
        if (!writeAll && options.at.count(clock) == 0) continue;
        // Where several frames share a clock, only the last is kept.
        if (ScheduledDemoClock(n + 1, options.fps) == clock) continue;
        if (!options.pngDir.empty()) {
            const std::string path = FrameName(options.pngDir, clock, "png");
            failure = WriteIndexedPng(path, Canvas, kCanvasWidth, kCanvasHeight, PaletteRed,
                                      PaletteGreen, PaletteBlue);
            if (!failure.empty()) {
                outcome = WriteFailed(path, failure);
                break;
            }
        }
        if (options.format != nullptr) {
            PresentFrame(TrueColourFrame);
            const std::string path = FrameName(options.surfaceDir, clock, "raw");
            failure = WriteSurface(path, surfaceRows);
            if (!failure.empty()) {
                outcome = WriteFailed(path, failure);
                break;
            }
        }
        if (showProgress) {
            const uint64_t percent = (n + 1) * 100 / totalFrames;
            if (percent != lastPercent) {
                lastPercent = percent;
                ReportProgress("frame %" PRIu64 " of %" PRIu64 " (%" PRIu64 "%%)", n + 1, totalFrames,
                               percent);
            }
        }
    }
    if (showProgress) std::fprintf(stderr, "\n");
    if (options.format != nullptr) ShutdownDisplay();
    return outcome;
}

}  // namespace

int main(int argc, char** argv)
{
    // Past a file size limit, writing fails like a full disk (EFBIG) rather
    // than the process being killed with its partial files left behind.
    std::signal(SIGXFSZ, SIG_IGN);
    zelvik::SetReportPrefix("zelvik-capture");

    Options options;
    const std::string wrong = ParseOptions(argc, argv, options);
    if (!wrong.empty()) {
        zelvik::Report("%s (see --help)", wrong.c_str());
        return 2;
    }
    if (options.help) {
        PrintHelp();
        return 0;
    }
    if (options.version) {
        std::printf("zelvik-capture %s\n", ZELVIK_VERSION);
        return 0;
    }
    if (options.listRanges) {
        PrintRanges();
        return 0;
    }

    Outcome outcome;
    if (options.bench) {
        outcome = RunPipelineBenchmark(options.seed, options.fps, options.until, options.sheet, options.quiet);
    } else if (options.videoGiven) {
        VideoJob job = options.video;
        job.seed = options.seed;
        job.fps = options.fps;
        job.until = options.until;
        job.sheet = options.sheet;
        job.quiet = options.quiet;
        outcome = RunVideoCapture(job);
    } else {
        outcome = CaptureFrames(options);
    }
    if (!outcome.message.empty()) zelvik::Report("%s", outcome.message.c_str());
    return outcome.status;
}
