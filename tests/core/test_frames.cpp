// Whole-frame regression checks: the show run from its start on a fixed
// frame schedule with a fixed seed and the tests' own sprite sheet, with
// the canvas and palette hashed at moments in every range of the script.
// The expected hashes were taken from renders that were looked at and
// judged right; set ZELVIK_FRAME_DIR to a folder to get those renders as
// PPM files.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "canvas/canvas.h"
#include "shared/frame_hash.h"
#include "driver/random.h"
#include "show/setup.h"
#include "show/timeline.h"
#include "test_support.h"

using namespace zelvik;

namespace {

void WritePpm(const std::string& folder, uint32_t clock)
{
    char name[64];
    std::snprintf(name, sizeof name, "/frame_%05" PRIu32 ".ppm", clock);
    FILE* file = std::fopen((folder + name).c_str(), "wb");
    if (file == nullptr) return;
    std::fprintf(file, "P6 320 200 255\n");
    for (uint32_t word : TrueColourFrame) {
        const unsigned char rgb[3] = {static_cast<unsigned char>(word >> 16),
                                      static_cast<unsigned char>(word >> 8),
                                      static_cast<unsigned char>(word)};
        std::fwrite(rgb, 1, 3, file);
    }
    std::fclose(file);
}

// An expected frame: the row of the script, the clock within the row (from
// its first clock), and the hash of canvas and palette there. Keyed by row
// rather than by demo clock, so that a range made longer or shorter, or a
// row put in, leaves the expectations of the rows it does not change as
// they are.
struct ExpectedFrame {
    const char* row;
    uint32_t offset;
    uint64_t hash;
};

TEST(WholeFrames, EveryRangeOfTheScriptDrawsAsBefore)
{
    // Two moments in each row or more.
    const ExpectedFrame kExpected[] = {
#include "frame_hashes.inc"
    };
    constexpr uint32_t kStep = 4;  // frame n at clock 4n, as a 25 fps run draws

    // demo clock -> expected frame
    std::map<uint32_t, const ExpectedFrame*> expected;
    for (const ExpectedFrame& frame : kExpected) {
        const uint32_t clock = zelvik_test::ScriptRowNamed(frame.row).start + frame.offset;
        EXPECT_EQ(clock % kStep, 0u) << frame.row << " + " << frame.offset << " is not on the schedule";
        expected[clock] = &frame;
    }
    ASSERT_FALSE(expected.empty());

    ASSERT_TRUE(zelvik_test::StartShowWithTestSheet(20261207));

    const char* folder = std::getenv("ZELVIK_FRAME_DIR");
    std::map<uint32_t, uint64_t> actual;
    for (uint32_t clock = 0; clock <= expected.rbegin()->first; clock += kStep) {
        RenderFrame(clock);
        if (expected.count(clock) == 0) continue;
        actual[clock] = zelvik::testing::HashFrame();
        if (folder != nullptr) WritePpm(folder, clock);
    }
    for (const auto& [clock, frame] : expected) {
        EXPECT_EQ(actual[clock], frame->hash)
            << "frame at demo clock " << clock << " (" << frame->row << " + " << frame->offset
            << ") changed; got 0x" << std::hex << actual[clock];
    }
}

}  // namespace
