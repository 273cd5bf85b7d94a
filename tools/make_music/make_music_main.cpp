// make_music: writes the show's soundtrack, an XM module composed and
// synthesised entirely by this program.
//
//   make_music OUTPUT.xm [--report]
//
// The file is written next to OUTPUT and renamed into place, so a failed
// run never leaves a half-written module behind. The program checks its
// own timing against the show's scene changes and fails if a section would
// start more than 0.15 s away from its scene. --report prints the section
// start times.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "score.h"
#include "shared/whole_file.h"

namespace {

constexpr double kTolerance = 0.15;          // seconds
constexpr size_t kMaximumSize = 1024 * 1024;  // bytes

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    const std::string failure = zelvik::WriteWholeFile(path, bytes.data(), bytes.size());
    if (failure.empty()) return true;
    std::fprintf(stderr, "make_music: %s: %s\n", path.c_str(), failure.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string output;
    bool report = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--report") == 0) report = true;
        else if (output.empty() && argv[i][0] != '-') output = argv[i];
        else {
            std::fprintf(stderr, "usage: make_music OUTPUT.xm [--report]\n");
            return 2;
        }
    }
    if (output.empty()) {
        std::fprintf(stderr, "usage: make_music OUTPUT.xm [--report]\n");
        return 2;
    }

    std::vector<makemusic::SectionTiming> sections;
    const makemusic::Module module = makemusic::ComposeSoundtrack(&sections);

    // Each section must start within the tolerance of its scene at every
    // output rate.
    bool inTime = true;
    if (report) std::printf("section         order  scene (s)  start (s) and error at: exact, 22050, 44100, 48000 Hz\n");
    for (const makemusic::SectionTiming& s : sections) {
        if (report) std::printf("%-14s  %5d  %9.2f ", s.name.c_str(), s.firstOrder, s.targetSeconds);
        for (size_t i = 0; i < s.startSeconds.size(); ++i) {
            const double error = s.startSeconds[i] - s.targetSeconds;
            if (report) std::printf("  %7.3f %+.3f", s.startSeconds[i], error);
            if (std::fabs(error) > kTolerance) {
                std::fprintf(stderr, "make_music: section \"%s\" starts %.3f s away from its scene at %d Hz\n",
                             s.name.c_str(), error, makemusic::kCheckedRates[i]);
                inTime = false;
            }
        }
        if (report) std::printf("\n");
    }
    if (!inTime) return 1;

    std::vector<uint8_t> bytes;
    std::string error;
    if (!makemusic::WriteXm(module, &bytes, &error)) {
        std::fprintf(stderr, "make_music: invalid module: %s\n", error.c_str());
        return 1;
    }
    if (bytes.size() >= kMaximumSize) {
        std::fprintf(stderr, "make_music: module is %zu bytes, over the 1 MiB budget\n", bytes.size());
        return 1;
    }
    if (report) {
        std::printf("%zu orders, %zu patterns, %zu instruments, %zu bytes, restart at order %d\n",
                    module.orders.size(), module.patterns.size(), module.instruments.size(), bytes.size(),
                    module.restartPosition);
    }
    return WriteFile(output, bytes) ? 0 : 1;
}
