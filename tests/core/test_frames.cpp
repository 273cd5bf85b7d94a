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

TEST(WholeFrames, EveryRangeOfTheScriptDrawsAsBefore)
{
    // clock -> expected hash; two moments in each range.
    const std::map<uint32_t, uint64_t> expected = {
#include "frame_hashes.inc"
    };

    ASSERT_TRUE(zelvik_test::StartShowWithTestSheet(20261207));

    const char* folder = std::getenv("ZELVIK_FRAME_DIR");
    std::map<uint32_t, uint64_t> actual;
    // Frame n at clock 4n: every range is visited, as a 25 fps run would.
    for (uint32_t clock = 0; clock <= 10500; clock += 4) {
        RenderFrame(clock);
        if (expected.count(clock) == 0) continue;
        actual[clock] = zelvik::testing::HashFrame();
        if (folder != nullptr) WritePpm(folder, clock);
    }
    for (const auto& [clock, hash] : expected) {
        EXPECT_EQ(actual[clock], hash) << "frame at demo clock " << clock << " changed; got 0x"
                                       << std::hex << actual[clock];
    }
}

}  // namespace
