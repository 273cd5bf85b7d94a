// The demo clock read from a 32-bit millisecond tick count that wraps.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "driver/tick_clock.h"

using namespace zelvik;

namespace {

constexpr uint64_t kWrap = uint64_t{1} << 32;

// The clock over a run whose tick count (as 64 bits) goes from `first` in
// steps of `step` ms for `count` readings; the source only shows the low
// 32 bits. Returns the clocks of all readings after the first.
std::vector<uint32_t> ClocksOverRun(uint64_t first, uint64_t step, int count)
{
    TickCount64 ticks{};
    const uint64_t start = ExtendTickCount(&ticks, static_cast<uint32_t>(first)) / 10;
    std::vector<uint32_t> clocks;
    for (int i = 1; i < count; ++i) {
        const uint64_t now = first + step * static_cast<uint64_t>(i);
        clocks.push_back(DemoClockFromTicks(ExtendTickCount(&ticks, static_cast<uint32_t>(now)), start));
    }
    return clocks;
}

}  // namespace

// Until the counter wraps, the clock is exactly tick / 10 - start time in
// unsigned 32-bit arithmetic, whatever the start.
TEST(TickClock, EqualsTheDefinedClockUntilTheWrap)
{
    for (uint32_t startTick : {0u, 9u, 10u, 123456789u, 0xFFFF0000u}) {
        SCOPED_TRACE(startTick);
        TickCount64 ticks{};
        const uint64_t start = ExtendTickCount(&ticks, startTick) / 10;
        const uint32_t startTime = startTick / 10;
        EXPECT_EQ(start, startTime);
        for (uint32_t elapsed : {0u, 1u, 9u, 10u, 11u, 995u, 60000u, 0xFFFFu}) {
            const uint32_t tick = startTick + elapsed;
            if (tick < startTick) break;  // would be past the wrap
            EXPECT_EQ(DemoClockFromTicks(ExtendTickCount(&ticks, tick), start), tick / 10 - startTime)
                << elapsed;
        }
    }
}

// Across the wrap the clock goes on in hundredths as before; the defined
// clock would leap by about 3.87e9 hundredths there.
TEST(TickClock, CarriesOnSmoothlyAcrossTheWrap)
{
    // 16 ms frames from five seconds before the wrap to five seconds after,
    // for start times on either side of a hundredth's edge.
    for (uint64_t first : {kWrap - 5000, kWrap - 5003, kWrap - 1}) {
        SCOPED_TRACE(first);
        const std::vector<uint32_t> clocks = ClocksOverRun(first, 16, 640);
        for (size_t i = 0; i < clocks.size(); ++i) {
            const uint64_t now = first + 16 * (i + 1);
            ASSERT_EQ(clocks[i], now / 10 - first / 10) << "frame " << i + 1;
        }
    }

    const uint32_t before = 0xFFFFFFF0u, after = 0x20u;
    const uint32_t startTime = (before - 100000u) / 10;
    EXPECT_GT(static_cast<uint32_t>(after / 10 - startTime) - (before / 10 - startTime), 3800000000u)
        << "the defined clock's leap that the extension removes";
}

// A show running for months sees the counter wrap again and again; a
// reading equal to the last is no wrap; the clock goes on to the end of its
// own 32-bit range (497 days) and wraps there, as it is defined to.
TEST(TickClock, CountsEveryWrapAndOnlyWraps)
{
    // One reading a day for 600 days: twelve wraps of the tick count.
    constexpr uint64_t kDayMs = 86400000;
    const uint64_t first = 123456;
    const std::vector<uint32_t> clocks = ClocksOverRun(first, kDayMs, 601);
    for (size_t i = 0; i < clocks.size(); ++i) {
        const uint64_t now = first + kDayMs * (i + 1);
        ASSERT_EQ(clocks[i], static_cast<uint32_t>(now / 10 - first / 10)) << "day " << i + 1;
    }
    EXPECT_LT(clocks[500], clocks[400]) << "the demo clock itself wraps after 2^32 hundredths";

    TickCount64 ticks{};
    EXPECT_EQ(ExtendTickCount(&ticks, 500), 500u);
    EXPECT_EQ(ExtendTickCount(&ticks, 500), 500u);
    EXPECT_EQ(ExtendTickCount(&ticks, 0xFFFFFFFFu), 0xFFFFFFFFu);
    EXPECT_EQ(ExtendTickCount(&ticks, 0), kWrap);
    EXPECT_EQ(ExtendTickCount(&ticks, 0), kWrap);
    EXPECT_EQ(ExtendTickCount(&ticks, 7), kWrap + 7);
}
