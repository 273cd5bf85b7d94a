// The show's music steps: start-up, starting the soundtrack, shutdown.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "audio_test_support.h"
#include "platform/audio/demo_music.h"
#include "platform/audio/module_player.h"

using namespace zelvik;
using namespace audiotest;

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class DemoMusic : public testing::Test {
protected:
    void TearDown() override { BASSMOD_Free(); }
    ScratchFolder scratch;
};

}  // namespace

TEST_F(DemoMusic, StartsWithEveryDialogChoice)
{
    for (bool stereo : {false, true}) {
        for (bool highRate : {false, true}) {
            SCOPED_TRACE(testing::Message() << "stereo " << stereo << ", high rate " << highRate);
            ASSERT_TRUE(StartMusic(stereo, highRate));
            ASSERT_TRUE(PlayDemoMusic(DemoXm()));
            EXPECT_EQ(BASSMOD_MusicIsActive(), 1) << "the clock may start: the music is playing";
            ShutdownAudio(true);
            EXPECT_EQ(BASSMOD_MusicIsActive(), 0);
        }
    }
}

TEST_F(DemoMusic, FailsAtStartUpWhenThereIsNoAudioOutput)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    testing::internal::CaptureStderr();
    const bool started = StartMusic(true, true);
    const std::string complaint = testing::internal::GetCapturedStderr();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_FALSE(started);
    EXPECT_EQ(complaint.rfind("no audio output: ", 0), 0u) << complaint;
}

TEST_F(DemoMusic, RunsSilentlyWithoutWaitingWhenTheMusicCannotBeLoaded)
{
    ASSERT_TRUE(StartMusic(false, false));
    const std::string missing = scratch / "demo.xm";
    testing::internal::CaptureStderr();
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(PlayDemoMusic(missing.c_str()));
    EXPECT_LT(SecondsSince(start), 0.5);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), missing + ": not found\n");
    EXPECT_EQ(BASSMOD_MusicIsActive(), 0);

    // A second start replaces whatever was there: a good file plays.
    EXPECT_TRUE(PlayDemoMusic(DemoXm()));
    // ... and a bad one afterwards stops the old music rather than leaving
    // it playing on.
    testing::internal::CaptureStderr();
    EXPECT_FALSE(PlayDemoMusic(missing.c_str()));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(BASSMOD_MusicIsActive(), 0);
}

TEST_F(DemoMusic, ShutdownTouchesThePlayerOnlyWhenMusicIsEnabled)
{
    ASSERT_TRUE(StartMusic(true, false));
    ASSERT_TRUE(PlayDemoMusic(DemoXm()));
    ShutdownAudio(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(BASSMOD_MusicIsActive(), 1) << "music switched off: the player is left alone";

    const Clock::time_point start = Clock::now();
    ShutdownAudio(true);
    EXPECT_LT(SecondsSince(start), 1.0);
    EXPECT_EQ(BASSMOD_MusicIsActive(), 0);
    // The output is closed: it can be opened again.
    EXPECT_TRUE(StartMusic(true, true));
    ShutdownAudio(true);
    ShutdownAudio(true);  // a second shutdown is harmless
}
