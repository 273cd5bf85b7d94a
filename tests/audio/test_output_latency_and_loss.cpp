// Picture and sound together: the show's clock is zero when the music's
// first sample is heard, and a lost audio output neither stops the show nor
// puts the music out of step with it.
#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>

#include "audio_test_support.h"
#include "program/demo_main_testing.h"
#include "platform/audio/demo_music.h"
#include "platform/audio/module_player_testing.h"

using namespace zelvik;
using namespace audiotest;

namespace {

// One frame at 60 Hz, in hundredths of a second.
constexpr double kOneFrame = 100.0 / 60.0;

// The show's tick count, moved by hand.
uint32_t FakeNow;
uint32_t FakeTicks()
{
    return FakeNow;
}

class OutputTiming : public testing::Test {
protected:
    void SetUp() override { SetTickSource(FakeTicks); }
    void TearDown() override
    {
        ShutdownAudio(true);
        SetPlayerBufferFrames(0);
        SetTickSource(nullptr);
    }
};

// Tells the player its output was removed, as SDL does from its audio
// thread when an opened device fails.
void RemoveOutput()
{
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_AUDIODEVICEREMOVED;
    event.adevice.which = PlayerOutputDevice();
    event.adevice.iscapture = 0;
    SDL_PushEvent(&event);
}

bool WaitUntil(bool (*condition)(), int milliseconds = 2000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace

TEST_F(OutputTiming, TheClockIsZeroWhenTheFirstSampleIsHeard)
{
    for (bool highRate : {false, true}) {
        const uint32_t rate = highRate ? 44100 : 22050;
        for (uint32_t frames : {512u, 1024u, 4096u}) {
            SCOPED_TRACE(testing::Message() << frames << " frames at " << rate << " Hz");
            SetPlayerBufferFrames(frames);
            ASSERT_TRUE(StartMusic(true, highRate));
            ASSERT_EQ(PlayerBufferFrames(), frames) << "the output took another buffer size";
            ASSERT_TRUE(PlayDemoMusic(DemoXm()));

            // The module's first sample was rendered just now, into a buffer
            // that is heard after the one already queued has played.
            const double bufferMs = 1000.0 * frames / rate;
            EXPECT_NEAR(MusicLatencyMilliseconds(), bufferMs, 0.5);
            FakeNow = 0xFFFFFF00u;  // across the tick count's wrap, too
            StartDemoClock(MusicLatencyMilliseconds());
            const uint32_t renderedAt = FakeNow;

            // Before it is heard the picture waits at the first frame; it
            // never counts back from 2^32.
            FakeNow = renderedAt + 1;
            EXPECT_EQ(CurrentDemoClock(), 0u);

            // When it is heard, and at every later moment, the clock and the
            // music heard agree within one frame.
            for (double heardSeconds : {0.0, 0.5, 7.25, 61.0}) {
                FakeNow = renderedAt + static_cast<uint32_t>(std::lround(bufferMs + heardSeconds * 1000.0));
                EXPECT_NEAR(CurrentDemoClock(), heardSeconds * 100.0, kOneFrame) << "at " << heardSeconds << " s";
            }
            ShutdownAudio(true);
        }
    }
}

TEST_F(OutputTiming, WithoutMusicTheClockStartsAtOnce)
{
    FakeNow = 5000;
    StartDemoClock(MusicLatencyMilliseconds());
    FakeNow = 5010;
    EXPECT_EQ(CurrentDemoClock(), 1u);
}

namespace {

void ReplacedOutputGoesOnWhereTheClockIs()
{
    ASSERT_TRUE(StartMusic(true, true));
    ASSERT_TRUE(PlayDemoMusic(DemoXm()));
    EXPECT_FALSE(PlayerOutputLost());

    RemoveOutput();
    EXPECT_TRUE(PlayerOutputLost());
    // The show's clock says 12.34 s have been heard.
    ASSERT_TRUE(ReopenPlayerOutput(12.34));
    EXPECT_FALSE(PlayerOutputLost());
    const double latency = PlayerLatencyMilliseconds() / 1000.0;
    const double position = PlayerModulePosition();
    EXPECT_GE(position, 12.34 + latency - 0.05);
    EXPECT_LE(position, 12.34 + latency + 0.5) << "rendering has barely begun on the new output";
    EXPECT_TRUE(WaitUntil([] { return BASSMOD_MusicIsActive() != 0; }));

    // The old output no longer takes the module forward: only the new one
    // renders: about real time, not twice as fast.
    const double before = PlayerModulePosition();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_LT(PlayerModulePosition() - before, 0.8);

    // Events about other devices are not taken for a loss.
    SDL_Event other;
    SDL_zero(other);
    other.type = SDL_AUDIODEVICEREMOVED;
    other.adevice.which = PlayerOutputDevice() + 7;
    SDL_PushEvent(&other);
    other.adevice.which = PlayerOutputDevice();
    other.adevice.iscapture = 1;
    SDL_PushEvent(&other);
    EXPECT_FALSE(PlayerOutputLost());
}

}  // namespace

// On SDL's dummy driver, which opens one output at a time (the lost one is
// closed first), and on its disk driver, which opens several (the lost one
// stays open beside the new one, and must not render the module too).
TEST_F(OutputTiming, AReplacedOutputGoesOnWhereTheClockIs)
{
    ScratchFolder scratch;
    for (const char* driver : {"dummy", "disk"}) {
        SCOPED_TRACE(driver);
        setenv("SDL_AUDIODRIVER", driver, 1);
        const std::string file = scratch / "output.raw";
        setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
        ReplacedOutputGoesOnWhereTheClockIs();
        ShutdownAudio(true);
    }
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

TEST_F(OutputTiming, TheShowSaysOnceThatTheSoundWasLostAndCarriesOn)
{
    ASSERT_TRUE(StartMusic(false, false));
    ASSERT_TRUE(PlayDemoMusic(DemoXm()));

    // Every frame asks; while the output works nothing happens.
    testing::internal::CaptureStderr();
    for (uint32_t clock = 0; clock < 100; ++clock) KeepMusicGoing(clock);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    RemoveOutput();
    testing::internal::CaptureStderr();
    const auto start = std::chrono::steady_clock::now();
    KeepMusicGoing(2345);
    const auto reopened = std::chrono::steady_clock::now();
    for (uint32_t clock = 2346; clock < 2445; ++clock) KeepMusicGoing(clock);
    const auto end = std::chrono::steady_clock::now();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "music: the audio output was lost; reopened, the music goes on at 23.45 s\n");
    // The dummy driver opens one output at a time, so the lost one is
    // closed first, which waits for its thread: once.
    EXPECT_LT(std::chrono::duration<double>(reopened - start).count(), 0.5);
    EXPECT_LT(std::chrono::duration<double>(end - reopened).count(), 0.02)
        << "the frames after the reopening were held up";
    EXPECT_FALSE(PlayerOutputLost());
    const double position = PlayerModulePosition();
    EXPECT_GE(position, 23.45);
    EXPECT_LE(position, 23.45 + PlayerLatencyMilliseconds() / 1000.0 + 0.5);
    EXPECT_TRUE(WaitUntil([] { return BASSMOD_MusicIsActive() != 0; }));

    // Shutdown after a loss is as quick and quiet as ever.
    testing::internal::CaptureStderr();
    ShutdownAudio(true);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(BASSMOD_MusicIsActive(), 0);
}

TEST_F(OutputTiming, ALoopingSongGoesOnInsideItsLength)
{
    ASSERT_TRUE(StartMusic(true, false));
    ASSERT_TRUE(PlayDemoMusic(DemoXm()));
    RemoveOutput();
    // Far past the song's end: the position wraps into the song.
    ASSERT_TRUE(ReopenPlayerOutput(100000.0));
    const double position = PlayerModulePosition();
    EXPECT_GT(position, 0.0);
    EXPECT_LT(position, 100000.0);
    EXPECT_TRUE(WaitUntil([] { return BASSMOD_MusicIsActive() != 0; }));
}
