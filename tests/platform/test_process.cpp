// The process services the program's clock and loop stand on.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>

#include "platform/process/process.h"

using namespace zelvik;

TEST(TickCount, CountsMillisecondsSinceBootNotSinceProgramStart)
{
    // steady_clock runs on the same monotonic clock, counted from boot.
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
    const uint32_t expected = static_cast<uint32_t>(static_cast<uint64_t>(ms));
    EXPECT_LE(GetTickCount() - expected, 5u);
}
