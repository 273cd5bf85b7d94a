// The live show's frame step, PresentShowFrame, against the two-step
// pipeline it shortcuts (RenderFrame, then PresentFrame of TrueColourFrame):
// the same surface bytes in every pixel format, row padding left alone,
// nothing written while inactive or when the lock fails; and the canvas
// expansion into rows of any pitch.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "canvas/canvas.h"
#include "display/display.h"
#include "display/offscreen_display.h"
#include "show/timeline.h"
#include "test_support.h"

using namespace zelvik;

namespace {

constexpr uint8_t kFill = 0xA5;

class ShowPresentTest : public ::testing::Test {
protected:
    void SetUp() override { UseDisplayBackend(&OffscreenDisplay); }
    void TearDown() override
    {
        ShutdownDisplay();
        AppActive = 0;
    }

    // Opens a surface of the format whose rows are padded by `padding`
    // bytes (an odd count leaves 32-bit rows unaligned).
    static void Open(const PixelFormatSpec& format, int32_t padding)
    {
        ConfigureOffscreenSurface(&format, padding, kFill);
        ASSERT_EQ(InitDisplay("Demo", kCanvasWidth, kCanvasHeight), 1);
        AppActive = 1;
    }

    static std::vector<uint8_t> Surface()
    {
        const uint8_t* pixels = OffscreenSurfacePixels();
        return {pixels, pixels + static_cast<size_t>(OffscreenSurfacePitch()) * OffscreenSurfaceHeight()};
    }

    // A hash of the whole surface, padding included.
    static uint64_t HashSurface()
    {
        uint64_t hash = 1469598103934665603ull;  // FNV-1a
        for (uint8_t byte : Surface()) {
            hash ^= byte;
            hash *= 1099511628211ull;
        }
        return hash;
    }

    // The surface's hash after each of `clocks`, the show started afresh
    // and run either way.
    static std::vector<uint64_t> Run(const PixelFormatSpec& format, int32_t padding,
                                     const std::vector<uint32_t>& clocks, bool direct)
    {
        std::vector<uint64_t> surfaces;
        Open(format, padding);
        EXPECT_TRUE(zelvik_test::StartShowWithTestSheet(20261207));
        for (uint32_t clock : clocks) {
            if (direct) {
                EXPECT_EQ(PresentShowFrame(clock), 1);
            } else {
                RenderFrame(clock);
                EXPECT_EQ(PresentFrame(TrueColourFrame), 1);
            }
            surfaces.push_back(HashSurface());
        }
        ShutdownDisplay();
        return surfaces;
    }
};

}  // namespace

TEST_F(ShowPresentTest, SameSurfaceAsTheTwoStepPipelineInEveryFormat)
{
    // The 32-bit format, written directly, through the whole script; the
    // others, which convert, at a few moments.
    std::vector<uint32_t> everyRange, someMoments;
    for (uint32_t clock = 0; clock <= kFinaleStartClock + 600; clock += 61) everyRange.push_back(clock);
    for (uint32_t clock = 0; clock <= 4400; clock += 1100) someMoments.push_back(clock);
    for (const PixelFormatSpec& format : PixelFormats) {
        SCOPED_TRACE(format.name);
        const bool plain32 = format.converter == CopyRow32;
        const auto& clocks = plain32 ? everyRange : someMoments;
        // Padding is hashed with the rows, so a write past a row shows too.
        for (int32_t padding : {0, 3}) {
            SCOPED_TRACE(padding);
            const auto expected = Run(format, padding, clocks, false);
            const auto actual = Run(format, padding, clocks, true);
            ASSERT_EQ(actual.size(), expected.size());
            for (size_t i = 0; i < clocks.size(); ++i)
                EXPECT_EQ(actual[i], expected[i]) << "surface differs at demo clock " << clocks[i];
        }
    }
}

TEST_F(ShowPresentTest, InactiveWindowOrFailedLockWritesNothing)
{
    Open(PixelFormats[0], 0);
    ASSERT_TRUE(zelvik_test::StartShowWithTestSheet(1));
    AppActive = 0;
    EXPECT_EQ(PresentShowFrame(4200), 1);
    EXPECT_EQ(OffscreenDisplayCounters().locks, 0);
    const std::vector<uint8_t> untouched(Surface().size(), kFill);
    EXPECT_TRUE(Surface() == untouched);

    AppActive = 1;
    FailOffscreenLocks(1);
    EXPECT_EQ(PresentShowFrame(4201), 0);
    EXPECT_TRUE(Surface() == untouched);
    EXPECT_EQ(OffscreenDisplayCounters().flips, 0);

    // The next frame is presented, and a later plain PresentFrame converts
    // the frame it is given, not the one written before.
    EXPECT_EQ(PresentShowFrame(4202), 1);
    EXPECT_FALSE(Surface() == untouched);
    for (uint32_t& word : TrueColourFrame) word = 0x00123456;
    EXPECT_EQ(PresentFrame(TrueColourFrame), 1);
    uint32_t first;
    std::memcpy(&first, OffscreenSurfacePixels(), 4);
    EXPECT_EQ(first, 0x00123456u);
}

TEST(ExpandCanvasInto, WritesRowsOfAnyPitchAndLeavesTheRestAlone)
{
    for (int32_t i = 0; i < kCanvasSize; ++i) Canvas[i] = static_cast<uint8_t>(i * 13 + i / 320);
    for (int32_t k = 0; k < 256; ++k) SetPaletteEntry(k, k, (k * 7) & 255, 255 - k);
    std::vector<uint32_t> expected(kCanvasSize);
    for (int32_t i = 0; i < kCanvasSize; ++i) {
        const int32_t k = Canvas[i];
        expected[i] = static_cast<uint32_t>(k << 16 | ((k * 7) & 255) << 8 | (255 - k));
    }
    for (int32_t padding : {0, 1, 2, 3, 64}) {
        SCOPED_TRACE(padding);
        const int32_t pitch = kCanvasWidth * 4 + padding;
        // One byte before the block as well: the rows start unaligned.
        std::vector<uint8_t> block(static_cast<size_t>(pitch) * kCanvasHeight + 1, kFill);
        ExpandCanvasInto(block.data() + 1, pitch);
        EXPECT_EQ(block[0], kFill);
        for (int32_t y = 0; y < kCanvasHeight; ++y) {
            const uint8_t* row = block.data() + 1 + static_cast<size_t>(y) * pitch;
            ASSERT_EQ(0, std::memcmp(row, expected.data() + y * kCanvasWidth, kCanvasWidth * 4)) << "row " << y;
            for (int32_t p = 0; p < padding; ++p) ASSERT_EQ(row[kCanvasWidth * 4 + p], kFill);
        }
    }
}
