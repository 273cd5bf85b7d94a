// The split of the music's samples over the video's frames.
#include <gtest/gtest.h>

#include <cstdint>

#include "capture/sound_schedule.h"

using namespace zelvik;

TEST(SoundSchedule, SharesAddUpToTheElapsedTimeAfterEveryFrame)
{
    struct Case {
        uint32_t rate, fps;
    };
    for (const Case c : {Case{44100, 60}, Case{22050, 60}, Case{44100, 30}, Case{22050, 7},
                         Case{44100, 1}, Case{22050, 1000}, Case{44100, 97}}) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz at " << c.fps << " fps");
        const uint32_t low = c.rate / c.fps;
        const uint32_t high = (c.rate + c.fps - 1) / c.fps;
        uint64_t taken = 0;
        for (uint64_t n = 0; n < 20000; ++n) {
            const uint32_t share = SamplesOfFrame(n, c.rate, c.fps);
            ASSERT_TRUE(share == low || share == high) << "frame " << n << " takes " << share;
            taken += share;
            ASSERT_EQ(taken, (n + 1) * c.rate / c.fps) << "after frame " << n;
        }
    }
}

TEST(SoundSchedule, LongCapturesDoNotDrift)
{
    // A hundred hours at 60 frames per second: 735 samples each, exactly.
    const uint64_t frames = 100ull * 3600 * 60;
    EXPECT_EQ(SamplesBeforeFrame(frames, 44100, 60), frames * 735);
    // 22050 / 60 = 367.5: the halves alternate, and pairs never lose one.
    EXPECT_EQ(SamplesOfFrame(frames, 22050, 60) + SamplesOfFrame(frames + 1, 22050, 60), 735u);
    // The longest schedule the tool accepts (clock 2^32 - 1 at 1000 fps)
    // stays far from overflow.
    const uint64_t last = 4294967295ull * 1000 / 100;
    EXPECT_EQ(SamplesBeforeFrame(last + 1, 44100, 1000), (last + 1) * 441 / 10);
}
