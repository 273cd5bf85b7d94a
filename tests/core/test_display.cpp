#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "canvas/canvas.h"
#include "display/convert.h"
#include "display/display.h"
#include "display/display_testing.h"
#include "display/offscreen_display.h"

using namespace zelvik;

namespace {

// Converts one word with a converter and returns the destination bytes.
std::vector<uint8_t> Convert(RowConverter converter, uint32_t word, int bytes)
{
    std::vector<uint8_t> out(static_cast<size_t>(bytes) + 4, 0xEE);
    converter(&word, out.data(), 1);
    for (int i = bytes; i < bytes + 4; ++i) EXPECT_EQ(out[i], 0xEE) << "wrote past the pixel";
    out.resize(static_cast<size_t>(bytes));
    return out;
}

uint32_t Pixel16(RowConverter converter, uint32_t word)
{
    const auto bytes = Convert(converter, word, 2);
    return bytes[0] | (bytes[1] << 8);
}

uint32_t Pixel32(RowConverter converter, uint32_t word)
{
    const auto b = Convert(converter, word, 4);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (uint32_t{b[3]} << 24);
}

using Bytes = std::vector<uint8_t>;

}  // namespace

TEST(RowConverters, ConvertTheReferenceWord)
{
    EXPECT_EQ(Pixel32(CopyRow32, 0x00123456), 0x00123456u);
    EXPECT_EQ(Pixel32(SwapRow32, 0x00123456), 0x00563412u);
    EXPECT_EQ(Convert(PackRow24, 0x00123456, 3), (Bytes{0x56, 0x34, 0x12}));
    EXPECT_EQ(Convert(PackRow24Swapped, 0x00123456, 3), (Bytes{0x12, 0x34, 0x56}));
    EXPECT_EQ(Pixel16(PackRow565, 0x00123456), 0x11AAu);
    EXPECT_EQ(Pixel16(PackRow565Swapped, 0x00123456), 0x51A2u);
    EXPECT_EQ(Pixel16(PackRow555, 0x00123456), 0x08CAu);
    EXPECT_EQ(Pixel16(PackRow555Swapped, 0x00123456), 0x28C2u);
}

TEST(RowConverters, SixteenBitFormatsDropLowBits)
{
    const RowConverter all16[] = {PackRow565, PackRow565Swapped, PackRow555, PackRow555Swapped};
    const uint32_t white[] = {0xFFFF, 0xFFFF, 0x7FFF, 0x7FFF};
    const uint32_t grey[] = {0x8410, 0x8410, 0x4210, 0x4210};
    const uint32_t red[] = {0xF800, 0x001F, 0x7C00, 0x001F};
    const uint32_t blue[] = {0x001F, 0xF800, 0x001F, 0x7C00};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Pixel16(all16[i], 0x00FFFFFF), white[i]);
        EXPECT_EQ(Pixel16(all16[i], 0x00808080), grey[i]);
        EXPECT_EQ(Pixel16(all16[i], 0x00070307), 0u);
        EXPECT_EQ(Pixel16(all16[i], 0x00FF0000), red[i]);
        EXPECT_EQ(Pixel16(all16[i], 0x000000FF), blue[i]);
    }
}

TEST(RowConverters, EachPixelComesFromItsOwnWordAndNothingIsWrittenPastTheCount)
{
    constexpr int kCount = 37;  // odd, so no converter can get by on pairs
    uint32_t source[kCount];
    for (int i = 0; i < kCount; ++i) source[i] = (static_cast<uint32_t>(i) * 0x01030507u) & 0xFFFFFF;
    for (const PixelFormatSpec& format : PixelFormats) {
        SCOPED_TRACE(format.name);
        const int bpp = format.bytesPerPixel;
        std::vector<uint8_t> row(static_cast<size_t>(kCount + 2) * bpp, 0xEE);
        format.converter(source, row.data(), kCount);
        for (int i = 0; i < kCount; ++i) {
            std::vector<uint8_t> single(static_cast<size_t>(bpp));
            format.converter(&source[i], single.data(), 1);
            EXPECT_EQ(0, std::memcmp(single.data(), row.data() + i * bpp, static_cast<size_t>(bpp)))
                << "pixel " << i;
        }
        for (size_t i = static_cast<size_t>(kCount) * bpp; i < row.size(); ++i)
            EXPECT_EQ(row[i], 0xEE);
    }
}

TEST(RowConverters, SelectionMatchesExactlyTheEightFormats)
{
    for (const PixelFormatSpec& format : PixelFormats)
        EXPECT_EQ(SelectRowConverter(format.bitCount, format.redMask, format.greenMask,
                                     format.blueMask),
                  format.converter)
            << format.name;
    EXPECT_EQ(SelectRowConverter(15, 0x7C00, 0x03E0, 0x001F), nullptr);
    EXPECT_EQ(SelectRowConverter(32, 0x3FF00000, 0x000FFC00, 0x000003FF), nullptr);
    EXPECT_EQ(SelectRowConverter(24, 0xF800, 0x07E0, 0x001F), nullptr);
    EXPECT_EQ(SelectRowConverter(16, 0xF800, 0x07E0, 0x003F), nullptr);
    EXPECT_EQ(SelectRowConverter(8, 0, 0, 0), nullptr);
    EXPECT_EQ(FindPixelFormat("555-swapped"), &PixelFormats[7]);
    EXPECT_EQ(FindPixelFormat("15"), nullptr);
}

TEST(RowLoop, RowsLandAtMultiplesOfThePitchAndPaddingIsUntouched)
{
    constexpr int kWidth = 320, kHeight = 4, kPitch = 1024;  // 16-bit row of 640 bytes
    std::vector<uint32_t> frame(kWidth * kHeight);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint32_t>(i) * 0x010101u;
    std::vector<uint8_t> surface(kPitch * kHeight, 0xAB);
    ConvertFrame(frame.data(), kWidth, kHeight, surface.data(), kPitch, PackRow565);
    for (int y = 0; y < kHeight; ++y) {
        std::vector<uint8_t> expected(kWidth * 2);
        PackRow565(frame.data() + y * kWidth, expected.data(), kWidth);
        EXPECT_EQ(0, std::memcmp(expected.data(), surface.data() + y * kPitch, expected.size()))
            << "row " << y;
        for (int b = kWidth * 2; b < kPitch; ++b)
            ASSERT_EQ(surface[y * kPitch + b], 0xAB) << "row " << y << " byte " << b;
    }
}

class PresentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FailOffscreenLocks(0);
        FailOffscreenResets(0);
        OverrideOffscreenReportedFormat(nullptr);
        UseDisplayBackend(&OffscreenDisplay);
    }
    void TearDown() override
    {
        ShutdownDisplay();
        OverrideOffscreenReportedFormat(nullptr);
        AppActive = 0;
    }
};

TEST_F(PresentTest, EveryFormatPresentsTheFrameThroughItsConverter)
{
    for (int32_t i = 0; i < kCanvasSize; ++i) TrueColourFrame[i] = static_cast<uint32_t>(i) * 2654435761u & 0xFFFFFF;
    for (const PixelFormatSpec& format : PixelFormats) {
        SCOPED_TRACE(format.name);
        ConfigureOffscreenSurface(&format, 24, 0x5A);
        ASSERT_EQ(InitDisplay("Demo", 320, 200), 1);
        EXPECT_EQ(ActiveRowConverter, format.converter);
        EXPECT_EQ(OffscreenDisplayCounters().screenSaverEnabled, 0);
        AppActive = 1;
        EXPECT_EQ(PresentFrame(TrueColourFrame), 1);
        const auto& counters = OffscreenDisplayCounters();
        EXPECT_EQ(counters.restores, 1);
        EXPECT_EQ(counters.unlocks, 1);
        EXPECT_EQ(counters.flips, 1);
        const int32_t rowBytes = 320 * format.bytesPerPixel;
        ASSERT_EQ(OffscreenSurfacePitch(), rowBytes + 24);
        std::vector<uint8_t> expected(static_cast<size_t>(rowBytes));
        for (int y = 0; y < 200; y += 37) {
            format.converter(TrueColourFrame + 320 * y, expected.data(), 320);
            EXPECT_EQ(0, std::memcmp(expected.data(), OffscreenSurfacePixels() + y * OffscreenSurfacePitch(),
                                     expected.size()));
            EXPECT_EQ(OffscreenSurfacePixels()[y * OffscreenSurfacePitch() + rowBytes], 0x5A);
        }
        ShutdownDisplay();
        EXPECT_EQ(OffscreenDisplayCounters().screenSaverEnabled, 1);
    }
}

TEST_F(PresentTest, InactiveApplicationOnlySleeps)
{
    ConfigureOffscreenSurface(&PixelFormats[0], 0, 0x77);
    ASSERT_EQ(InitDisplay("Demo", 320, 200), 1);
    AppActive = 0;
    TrueColourFrame[0] = 0x123456;
    EXPECT_EQ(PresentFrame(TrueColourFrame), 1);
    const auto& counters = OffscreenDisplayCounters();
    EXPECT_EQ(counters.pumps, 1);
    EXPECT_EQ(counters.sleeps, 1);
    EXPECT_EQ(counters.sleptMilliseconds, 1u);
    EXPECT_EQ(counters.restores + counters.locks + counters.unlocks + counters.flips, 0);
    EXPECT_EQ(OffscreenSurfacePixels()[0], 0x77);
}

TEST_F(PresentTest, FailedLockSkipsTheFrameWithoutUnlockFlipOrSleep)
{
    ConfigureOffscreenSurface(&PixelFormats[4], 0, 0);
    ASSERT_EQ(InitDisplay("Demo", 320, 200), 1);
    AppActive = 1;
    FailOffscreenLocks(1);
    EXPECT_EQ(PresentFrame(TrueColourFrame), 0);
    auto counters = OffscreenDisplayCounters();
    EXPECT_EQ(counters.restores, 1);
    EXPECT_EQ(counters.failedLocks, 1);
    EXPECT_EQ(counters.unlocks + counters.flips + counters.sleeps, 0);
    // The next frame tries again, after another restore.
    EXPECT_EQ(PresentFrame(TrueColourFrame), 1);
    counters = OffscreenDisplayCounters();
    EXPECT_EQ(counters.restores, 2);
    EXPECT_EQ(counters.flips, 1);
    EXPECT_EQ(counters.sleeps, 1);
    EXPECT_EQ(counters.sleptMilliseconds, 0u);
}

// A back buffer that stops locking: a few frames are skipped, then the
// display is made again once; a second run of failures, or a reset that
// fails, loses the display instead of leaving a frozen picture running.
TEST_F(PresentTest, BackBufferThatStopsLockingIsMadeAgainOrTheDisplayIsLost)
{
    ConfigureOffscreenSurface(&PixelFormats[0], 0, 0);
    auto run = [](int32_t frames) {
        std::vector<FrameOutcome> outcomes;
        for (int32_t i = 0; i < frames; ++i) outcomes.push_back(PresentFrameOrRecover(TrueColourFrame));
        return outcomes;
    };
    using enum FrameOutcome;
    static_assert(kFailedFramesBeforeReset == 3, "the cases below count three failed frames");

    // Recovered: the reset after three failures gives a back buffer that locks.
    ASSERT_EQ(InitDisplay("Demo", 320, 200), 1);
    AppActive = 1;
    FailOffscreenLocks(kFailedFramesBeforeReset);
    EXPECT_EQ(run(5), (std::vector{Skipped, Skipped, Skipped, Shown, Shown}));
    EXPECT_EQ(OffscreenDisplayCounters().resets, 1);
    EXPECT_EQ(OffscreenDisplayCounters().flips, 2);
    // Shown frames start the count afresh: the same fault later is mended again.
    FailOffscreenLocks(kFailedFramesBeforeReset);
    EXPECT_EQ(run(4), (std::vector{Skipped, Skipped, Skipped, Shown}));
    EXPECT_EQ(OffscreenDisplayCounters().resets, 2);
    // Failures short of the limit never reset.
    FailOffscreenLocks(kFailedFramesBeforeReset - 1);
    EXPECT_EQ(run(3), (std::vector{Skipped, Skipped, Shown}));
    EXPECT_EQ(OffscreenDisplayCounters().resets, 2);
    ShutdownDisplay();

    // Never locks again: one reset, three more failures, lost.
    ASSERT_EQ(InitDisplay("Demo", 320, 200), 1);
    AppActive = 1;
    FailOffscreenLocks(1000);
    EXPECT_EQ(run(6), (std::vector{Skipped, Skipped, Skipped, Skipped, Skipped, Lost}));
    EXPECT_EQ(OffscreenDisplayCounters().resets, 1);
    EXPECT_EQ(OffscreenDisplayCounters().flips, 0);
    ShutdownDisplay();

    // The reset itself fails: lost at once.
    ASSERT_EQ(InitDisplay("Demo", 320, 200), 1);
    AppActive = 1;
    FailOffscreenLocks(1000);
    FailOffscreenResets(1);
    EXPECT_EQ(run(3), (std::vector{Skipped, Skipped, Lost}));
    EXPECT_EQ(OffscreenDisplayCounters().resets, 1);
    FailOffscreenLocks(0);
}

TEST_F(PresentTest, SetUpFailsForFormatsWithoutAConverterOrWithoutRgb)
{
    ConfigureOffscreenSurface(&PixelFormats[0], 0, 0);
    const ReportedPixelFormat rejected[] = {
        {kPixelFormatRgbFlag, 15, 0x7C00, 0x03E0, 0x001F},
        {kPixelFormatRgbFlag, 32, 0x3FF00000, 0x000FFC00, 0x000003FF},
        {0, 32, 0x00FF0000, 0x0000FF00, 0x000000FF},  // not RGB
    };
    for (const ReportedPixelFormat& format : rejected) {
        OverrideOffscreenReportedFormat(&format);
        EXPECT_EQ(InitDisplay("Demo", 320, 200), 0);
        EXPECT_EQ(OffscreenDisplayCounters().screenSaverEnabled, -1) << "screen saver touched";
        ShutdownDisplay();
    }
}
