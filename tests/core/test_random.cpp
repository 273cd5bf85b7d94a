#include <gtest/gtest.h>

#include "driver/random.h"

using namespace zelvik;

TEST(Random, FollowsTheLinearCongruentialSequence)
{
    zelvik::srand(0);
    // state = state * 214013 + 2531011, result = (state >> 16) & 0x7FFF
    EXPECT_EQ(zelvik::rand(), 38);
    EXPECT_EQ(zelvik::rand(), 7719);
    EXPECT_EQ(zelvik::rand(), 21238);
    zelvik::srand(1);
    EXPECT_EQ(zelvik::rand(), 41);
    EXPECT_EQ(zelvik::rand(), 18467);
    zelvik::srand(0xFFFFFFFFu);
    uint32_t state = 0xFFFFFFFFu;
    for (int i = 0; i < 1000; ++i) {
        state = state * 214013u + 2531011u;
        const int32_t value = zelvik::rand();
        ASSERT_EQ(value, static_cast<int32_t>((state >> 16) & 0x7FFF));
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 32767);
    }
}
