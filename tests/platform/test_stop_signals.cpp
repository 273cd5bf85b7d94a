// The program's ends that do not come from its own window: stop signals
// (SIGINT, SIGTERM, SIGHUP) in the dialog and during the show, and the
// demo clock's tick count wrapping while the show runs. The program runs
// in a child process wherever it would end the test's own.
#include <gtest/gtest.h>

#include <SDL.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "display/display.h"
#include "driver/clock.h"
#include "fake_music.h"
#include "platform/display/sdl_display.h"
#include "platform/display/sdl_display_testing.h"
#include "platform/process/process.h"
#include "program/demo_main_testing.h"
#include "program/options_dialog.h"
#include "sdl_events.h"

using namespace zelvik;

namespace {

void PressStart(WindowHandle dialog) { OptionsDialogProc(dialog, WM_COMMAND, kStartButton, 0); }

// Sets the stop signals to their defaults, as in a process started from a
// terminal (a test runner may have left SIGINT ignored), ends a child that
// hangs instead of waiting for ever, and starts the program as main does.
void ChildSetUp()
{
    for (int s : {SIGINT, SIGTERM, SIGHUP}) std::signal(s, SIG_DFL);
    alarm(20);
    InitProgram();
    UseDisplayBackend(&SdlDisplay);
}

class StopSignalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        test_events::UseHeadlessDrivers();
        ResetFakeMusic();
    }
    void TearDown() override
    {
        SetDialogCreatedHook(nullptr);
        SetDisplayOpenedHook(nullptr);
        SetTickSource(nullptr);
        ClearStopSignal();
        for (int s : {SIGINT, SIGTERM, SIGHUP}) std::signal(s, SIG_DFL);
        SDL_Quit();
    }
};

int SignalToRaise;

}  // namespace

// During the show each of them ends it the way Escape does: display shut
// down and the screen saver back on, then the music stopped, status 0.
TEST_F(StopSignalTest, DuringTheShowEndItLikeEscape)
{
    for (int s : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(s);
        SignalToRaise = s;
        EXPECT_EXIT(
            {
                ChildSetUp();
                SetDialogCreatedHook(PressStart);
                SetDisplayOpenedHook([] { std::raise(SignalToRaise); });
                std::exit(DemoMain());
            },
            testing::ExitedWithCode(0), "music calls: start=1 .* play=1 shutdown\\(1\\) screensaver=1");
    }
}

// In the dialog a stop signal cancels it: nothing opens, nothing is said.
TEST_F(StopSignalTest, InTheDialogCancelIt)
{
    EXPECT_EXIT(
        {
            ChildSetUp();
            SetDialogCreatedHook([](WindowHandle) { std::raise(SIGTERM); });
            SetDisplayOpenedHook([] { std::fprintf(stderr, "display opened\n"); });
            const int result = DemoMain();
            std::fprintf(stderr, "DemoMain returned %d after %d music calls\n", result,
                         FakeMusic.starts + FakeMusic.plays + FakeMusic.shutdowns);
            std::_Exit(7);
        },
        testing::ExitedWithCode(7), "^DemoMain returned 1 after 0 music calls\n$");
}

// A signal that was ignored when the program started (SIGHUP under nohup,
// SIGINT in a background job) stays ignored; the others are recorded.
TEST_F(StopSignalTest, OnlySignalsNotIgnoredAtStartAreTakenOver)
{
    std::signal(SIGHUP, SIG_IGN);
    std::signal(SIGTERM, SIG_DFL);
    CatchStopSignals();
    std::raise(SIGHUP);
    EXPECT_EQ(StopSignalReceived(), 0);
    std::raise(SIGTERM);
    EXPECT_EQ(StopSignalReceived(), SIGTERM);
}

// --- The tick count wrapping during the show -----------------------------------------

namespace {

constexpr uint64_t kFirstTick = (uint64_t{1} << 32) - 500;  // half a second before the wrap
constexpr uint64_t kFrameMs = 40;
uint64_t TicksGiven;  // the 64-bit tick count behind the readings so far
int Readings;

uint32_t CheckedTickSource();

// Each reading first checks the frame drawn from the reading before (the
// clock must be the time since the first reading, in hundredths), then
// gives the next one, 40 ms later. A second on, past the wrap, it sends
// SIGTERM.
uint32_t CheckedTickSource()
{
    if (Readings >= 2) {
        const uint32_t expected = static_cast<uint32_t>(TicksGiven / 10 - kFirstTick / 10);
        if (DemoClock != expected) {
            std::fprintf(stderr, "reading %d: demo clock %u, expected %u\n", Readings, DemoClock, expected);
            std::_Exit(9);
        }
    }
    if (TicksGiven >= kFirstTick + 1000) {
        std::fprintf(stderr, "demo clock %u after the wrap\n", DemoClock);
        std::raise(SIGTERM);
    }
    TicksGiven = Readings == 0 ? kFirstTick : TicksGiven + kFrameMs;
    ++Readings;
    return static_cast<uint32_t>(TicksGiven);
}

}  // namespace

TEST_F(StopSignalTest, ShowClockRunsOnAcrossTheTickCountsWrap)
{
    // The pieces: the start time is the tick count / 10 of the first
    // reading, and the clock continues through the wrap.
    static const uint32_t kTicks[] = {0xFFFFFFF0u, 0xFFFFFFFFu, 0x00000005u, 0x00000100u};
    static int next;
    next = 0;
    SetTickSource([] { return kTicks[next++]; });
    StartDemoClock();
    EXPECT_EQ(StartTime, 0xFFFFFFF0u / 10);
    EXPECT_EQ(CurrentDemoClock(), 0xFFFFFFFFu / 10 - 0xFFFFFFF0u / 10);
    EXPECT_EQ(CurrentDemoClock(), 2u);   // (2^32 + 5) / 10 - start time: 21 ms on
    EXPECT_EQ(CurrentDemoClock(), 27u);  // (2^32 + 256) / 10 - start time

    // The whole program: its frames draw the clock of each reading, across
    // the wrap, until the signal ends it.
    EXPECT_EXIT(
        {
            ChildSetUp();
            TicksGiven = 0;
            Readings = 0;
            SetTickSource(CheckedTickSource);
            SetDialogCreatedHook(PressStart);
            std::exit(DemoMain());
        },
        testing::ExitedWithCode(0), "demo clock 100 after the wrap\n.*shutdown\\(1\\)");
}
