// The show's window on SDL's dummy driver: its events as messages, its
// frames on both presentation paths, what it does when the renderer or the
// back buffer fails, and the program from the dialog to the end.
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "canvas/canvas.h"
#include "display/display.h"
#include "display/display_testing.h"
#include "fake_music.h"
#include "platform/display/sdl_display.h"
#include "platform/display/sdl_display_testing.h"
#include "platform/input/sdl_input.h"
#include "platform/process/process.h"
#include "program/demo_main.h"
#include "program/options_dialog.h"
#include "sdl_events.h"

using namespace zelvik;
using namespace test_events;

// --- The show's window on SDL's dummy driver --------------------------------------------

namespace {

struct Message {
    uint32_t message;
    uintptr_t wParam;
};
std::vector<Message> Received;

// Records what the window delivers; keeps AppActive as the show does.
intptr_t RecordingProc(WindowHandle, uint32_t message, uintptr_t wParam, intptr_t)
{
    Received.push_back(Message{message, wParam});
    if (message == WM_ACTIVATEAPP) AppActive = static_cast<int32_t>(wParam);
    return 0;
}

void Push(SDL_Event e) { SDL_PushEvent(&e); }

uint32_t ShowWindowId() { return GetSdlWindowId(DisplayWindowHandle()); }
SDL_Window* ShowWindow() { return SDL_GetWindowFromID(ShowWindowId()); }

// The size of what the show draws on: the renderer's output, or the
// window's surface where frames go straight into it.
void OutputSize(int* w, int* h)
{
    if (DisplayRenderer() != nullptr) {
        SDL_GetRendererOutputSize(DisplayRenderer(), w, h);
        return;
    }
    const SDL_Surface* surface = SDL_GetWindowSurface(ShowWindow());
    *w = surface ? surface->w : 0;
    *h = surface ? surface->h : 0;
}

// The colour on screen at (x, y), as 0xRRGGBB, on either path.
uint32_t ScreenPixel(int x, int y)
{
    Uint32 pixel = 0;
    if (DisplayRenderer() == nullptr) {
        const SDL_Surface* surface = SDL_GetWindowSurface(ShowWindow());
        if (surface == nullptr || x < 0 || y < 0 || x >= surface->w || y >= surface->h) return 0xDEAD;
        std::memcpy(&pixel, static_cast<const uint8_t*>(surface->pixels) + y * surface->pitch + x * 4, 4);
        return pixel & 0xFFFFFF;
    }
    const SDL_Rect r{x, y, 1, 1};
    SDL_RenderReadPixels(DisplayRenderer(), &r, SDL_PIXELFORMAT_ARGB8888, &pixel, 4);
    return pixel & 0xFFFFFF;
}

bool Near(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (d > tolerance || d < -tolerance) return false;
    }
    return true;
}

// Four quadrants in four colours.
void FillQuadrants(const uint32_t colours[4])
{
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 320; ++x)
            TrueColourFrame[y * 320 + x] = colours[(y >= 100 ? 2 : 0) + (x >= 160 ? 1 : 0)];
}

void FillFrame(uint32_t colour)
{
    for (uint32_t& p : TrueColourFrame) p = colour;
}

}  // namespace

class ShowWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseHeadlessDrivers();
        InitProgram();
        Received.clear();
        AppActive = 0;
        ResetFakeMusic();
        SetDisplayWindowProc(RecordingProc);
        UseDisplayBackend(&SdlDisplay);
    }
    void TearDown() override
    {
        ShutdownDisplay();
        SetBackBufferFormatOverride(0);
        FailSdlDisplayLocks(0);
        unsetenv("ZELVIK_PRESENTATION");
        SetDisplayOpenedHook(nullptr);
        SetDialogCreatedHook(nullptr);
        UseDisplayBackend(nullptr);
        AppActive = 0;
        SDL_Quit();
    }
    void Open() { ASSERT_EQ(InitDisplay("Demo", 320, 200), 1) << WindowSystemError(); }
    void Pump() { SdlDisplay.pumpMessages(); }
    bool Got(uint32_t message, uintptr_t wParam)
    {
        for (const Message& m : Received)
            if (m.message == message && m.wParam == wParam) return true;
        return false;
    }
};

TEST_F(ShowWindowTest, EventsArriveAsWindowMessages)
{
    Open();
    Pump();
    EXPECT_TRUE(Got(WM_SETCURSOR, 0)) << "the pointer is hidden from the first frame";

    const struct {
        SDL_Event event;
        uint32_t message;
        uintptr_t wParam;
    } cases[] = {
        {WindowEvent(ShowWindowId(), SDL_WINDOWEVENT_FOCUS_GAINED), WM_ACTIVATEAPP, 1},
        {WindowEvent(ShowWindowId(), SDL_WINDOWEVENT_FOCUS_LOST), WM_ACTIVATEAPP, 0},
        {WindowEvent(ShowWindowId(), SDL_WINDOWEVENT_RESTORED), WM_ACTIVATEAPP, 1},
        {WindowEvent(ShowWindowId(), SDL_WINDOWEVENT_MINIMIZED), WM_ACTIVATEAPP, 0},
        {Key(true, ShowWindowId(), SDLK_ESCAPE), WM_KEYDOWN, VK_ESCAPE},
        {Key(true, ShowWindowId(), SDLK_a), WM_KEYDOWN, 'A'},
        {Key(true, ShowWindowId(), SDLK_SPACE), WM_KEYDOWN, VK_SPACE},
        {WindowEvent(ShowWindowId(), SDL_WINDOWEVENT_CLOSE), WM_CLOSE, 0},
        {Quit(), WM_CLOSE, 0},
        {MouseMotion(ShowWindowId(), 5, 5), WM_SETCURSOR, 0},
    };
    for (const auto& c : cases) {
        Received.clear();
        Push(c.event);
        Pump();
        ASSERT_EQ(Received.size(), 1u) << "event type " << c.event.type;
        EXPECT_EQ(Received[0].message, c.message);
        EXPECT_EQ(Received[0].wParam, c.wParam);
    }
    // Another window's activation and key releases are none of its business.
    Received.clear();
    Push(WindowEvent(ShowWindowId() + 7, SDL_WINDOWEVENT_FOCUS_LOST));
    Push(Key(false, ShowWindowId(), SDLK_ESCAPE));
    Pump();
    EXPECT_TRUE(Received.empty());
}

TEST_F(ShowWindowTest, EveryFormatShowsTheFrameInItsOwnColours)
{
    const uint32_t formats[] = {SDL_PIXELFORMAT_RGB888, SDL_PIXELFORMAT_BGR888, SDL_PIXELFORMAT_BGR24,
                                SDL_PIXELFORMAT_RGB24,  SDL_PIXELFORMAT_RGB565, SDL_PIXELFORMAT_BGR565,
                                SDL_PIXELFORMAT_RGB555, SDL_PIXELFORMAT_BGR555};
    const uint32_t colours[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xC86428};
    FillQuadrants(colours);
    for (uint32_t format : formats) {
        SCOPED_TRACE(SDL_GetPixelFormatName(format));
        SetBackBufferFormatOverride(format);
        Open();
        ReportedPixelFormat reported{};
        DescribeSdlFormat(format, &reported);
        EXPECT_EQ(ActiveRowConverter, SelectRowConverter(reported.bitCount, reported.redMask,
                                                         reported.greenMask, reported.blueMask));
        Push(WindowEvent(ShowWindowId(), SDL_WINDOWEVENT_FOCUS_GAINED));
        EXPECT_EQ(PresentFrame(TrueColourFrame), 1);
        ASSERT_EQ(AppActive, 1);
        int w = 0, h = 0;
        SDL_GetRendererOutputSize(DisplayRenderer(), &w, &h);
        const PresentationGeometry g = ComputePresentation(w, h, 320, 200, 0, 0);
        const PixelRect& p = g.picture;
        // Quadrant centres, and the borders black where there are any.
        EXPECT_TRUE(Near(ScreenPixel(p.x + p.w / 4, p.y + p.h / 4), colours[0], 8));
        EXPECT_TRUE(Near(ScreenPixel(p.x + 3 * p.w / 4, p.y + p.h / 4), colours[1], 8));
        EXPECT_TRUE(Near(ScreenPixel(p.x + p.w / 4, p.y + 3 * p.h / 4), colours[2], 8));
        EXPECT_TRUE(Near(ScreenPixel(p.x + 3 * p.w / 4, p.y + 3 * p.h / 4), colours[3], 8))
            << std::hex << ScreenPixel(p.x + 3 * p.w / 4, p.y + 3 * p.h / 4);
        if (p.x > 0) {
            EXPECT_EQ(ScreenPixel(0, h / 2), 0u);
        }
        if (p.y > 0) {
            EXPECT_EQ(ScreenPixel(w / 2, 0), 0u);
        }
        ShutdownDisplay();
    }
}

TEST_F(ShowWindowTest, InactiveWindowKeepsItsLastPictureUntilActiveAgain)
{
    Open();
    int w = 0, h = 0;
    OutputSize(&w, &h);
    Push(WindowEvent(ShowWindowId(), SDL_WINDOWEVENT_FOCUS_GAINED));
    FillFrame(0xFF0000);
    PresentFrame(TrueColourFrame);
    EXPECT_EQ(ScreenPixel(w / 2, h / 2), 0xFF0000u);

    Push(WindowEvent(ShowWindowId(), SDL_WINDOWEVENT_FOCUS_LOST));
    FillFrame(0x0000FF);
    const uint32_t before = SDL_GetTicks();
    EXPECT_EQ(PresentFrame(TrueColourFrame), 1);
    EXPECT_EQ(AppActive, 0);
    EXPECT_EQ(ScreenPixel(w / 2, h / 2), 0xFF0000u);
    EXPECT_GE(SDL_GetTicks() - before, 1u) << "an inactive turn sleeps";

    Push(WindowEvent(ShowWindowId(), SDL_WINDOWEVENT_RESTORED));
    PresentFrame(TrueColourFrame);
    EXPECT_EQ(ScreenPixel(w / 2, h / 2), 0x0000FFu);
}

TEST_F(ShowWindowTest, ScreenSaverIsOffOnlyWhileTheShowIsOpen)
{
    ASSERT_TRUE(InitWindowSystem());
    EXPECT_TRUE(SDL_IsScreenSaverEnabled()) << "video start-up must leave the screen saver alone";
    Open();
    EXPECT_FALSE(SDL_IsScreenSaverEnabled());
    ShutdownDisplay();
    EXPECT_TRUE(SDL_IsScreenSaverEnabled());
}

TEST_F(ShowWindowTest, ShowProcedureHidesThePointerAndIgnoresOtherKeys)
{
    SetDisplayWindowProc(DemoWindowProc);
    Open();
    for (SDL_Keycode key : {SDLK_a, SDLK_SPACE, SDLK_RETURN, SDLK_F1, SDLK_LEFT, SDLK_q})
        Push(Key(true, ShowWindowId(), key));
    Push(Key(false, ShowWindowId(), SDLK_ESCAPE));  // a release is not a press
    EXPECT_EQ(PresentFrame(TrueColourFrame), 1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(FakeMusic.shutdowns, 0);
    EXPECT_NE(DisplayWindowHandle(), nullptr);
}

// Escape, a close request and SDL's quit end the show from its loop, not
// from inside the frame: the step that saw one says the show is over with
// the display and the music still there; the end that follows shuts the
// display down first (the screen saver allowed again), then the music.
TEST_F(ShowWindowTest, EscapeCloseAndQuitEndTheShowAtTheStepThatSeesThem)
{
    for (bool music : {true, false}) {
        for (auto leave : {+[] { Push(Key(true, ShowWindowId(), SDLK_ESCAPE)); },
                           +[] { Push(WindowEvent(ShowWindowId(), SDL_WINDOWEVENT_CLOSE)); },
                           +[] { Push(Quit()); }}) {
            ResetFakeMusic();
            MusicEnabled = music ? 1 : 0;
            ASSERT_TRUE(StartShowing(1));
            EXPECT_EQ(FakeMusic.plays, music ? 1 : 0);
            EXPECT_TRUE(ShowStep());
            EXPECT_TRUE(ShowStep());
            leave();
            EXPECT_FALSE(ShowStep());
            EXPECT_NE(DisplayWindowHandle(), nullptr);
            EXPECT_EQ(FakeMusic.shutdowns, 0);
            EXPECT_FALSE(ShowStep()) << "an ended show takes no more steps";
            StopShowing();
            EXPECT_EQ(DisplayWindowHandle(), nullptr);
            EXPECT_EQ(FakeMusic.shutdowns, 1);
            EXPECT_EQ(FakeMusic.shutdownMusicEnabled, music);
            EXPECT_TRUE(FakeMusic.screenSaverOnAtShutdown);
        }
    }
}

// --- Display changes, back buffers that stop locking ------------------------------------

namespace {

// Presents one frame of four quadrants and checks their colours at the
// centres of the 4:3 picture for the current output size, and black where
// the borders are.
void ExpectQuadrantsAt4By3()
{
    const uint32_t colours[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xC86428};
    FillQuadrants(colours);
    ASSERT_EQ(PresentFrameOrRecover(TrueColourFrame), FrameOutcome::Shown);
    int w = 0, h = 0;
    OutputSize(&w, &h);
    const PixelRect p = ComputePresentation(w, h, 320, 200, 0, 0).picture;
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    EXPECT_TRUE(Near(ScreenPixel(p.x + p.w / 4, p.y + p.h / 4), colours[0], 8));
    EXPECT_TRUE(Near(ScreenPixel(p.x + 3 * p.w / 4, p.y + p.h / 4), colours[1], 8));
    EXPECT_TRUE(Near(ScreenPixel(p.x + p.w / 4, p.y + 3 * p.h / 4), colours[2], 8));
    EXPECT_TRUE(Near(ScreenPixel(p.x + 3 * p.w / 4, p.y + 3 * p.h / 4), colours[3], 8))
        << std::hex << ScreenPixel(p.x + 3 * p.w / 4, p.y + 3 * p.h / 4);
    // Sharp: a quadrant's colour reaches within two pixels of the middle line.
    EXPECT_TRUE(Near(ScreenPixel(p.x + p.w / 2 - 3, p.y + p.h / 4), colours[0], 8));
    EXPECT_TRUE(Near(ScreenPixel(p.x + p.w / 2 + 3, p.y + p.h / 4), colours[1], 8));
    if (p.x > 0) {
        EXPECT_EQ(ScreenPixel(0, h / 2), 0u);
        EXPECT_EQ(ScreenPixel(p.x - 1, h / 2), 0u);
        EXPECT_EQ(ScreenPixel(w - 1, h / 2), 0u);
    }
    if (p.y > 0) {
        EXPECT_EQ(ScreenPixel(w / 2, 0), 0u);
        EXPECT_EQ(ScreenPixel(w / 2, p.y - 1), 0u);
        EXPECT_EQ(ScreenPixel(w / 2, h - 1), 0u);
    }
}

// Leaves full screen and gives the window a size of its own.
void ResizeShowWindow(int w, int h)
{
    SDL_SetWindowFullscreen(ShowWindow(), 0);
    SDL_SetWindowSize(ShowWindow(), w, h);
}

}  // namespace

TEST_F(ShowWindowTest, BothPathsShowThePictureAt4By3AndFollowTheWindowSize)
{
    for (const char* path : {"surface", "texture"}) {
        SCOPED_TRACE(path);
        setenv("ZELVIK_PRESENTATION", path, 1);
        Open();
        EXPECT_EQ(DisplayPresentationPath(),
                  std::strcmp(path, "surface") == 0 ? PresentationPath::Surface : PresentationPath::Texture);
        Push(WindowEvent(ShowWindowId(), SDL_WINDOWEVENT_FOCUS_GAINED));
        ExpectQuadrantsAt4By3();
        // Wide, tall, back to wide and a size smaller than the canvas: the
        // next frame is at 4:3, centred, at the new size.
        for (auto [w, h] : {std::pair{1600, 900}, {700, 1000}, {1280, 1024}, {200, 150}, {1024, 768}}) {
            ResizeShowWindow(w, h);
            ExpectQuadrantsAt4By3();
            int ow = 0, oh = 0;
            OutputSize(&ow, &oh);
            EXPECT_EQ(ow, w);
            EXPECT_EQ(oh, h);
        }
        ShutdownDisplay();
    }
    // SDL's dummy driver offers only its software renderer: the surface path.
    unsetenv("ZELVIK_PRESENTATION");
    Open();
    EXPECT_STREQ(DisplayRendererName(), "software");
    EXPECT_EQ(DisplayPresentationPath(), PresentationPath::Surface);
}

// The renderer's device or targets reset: the textures are made again and
// the next frame is right; fifty resets leave no texture behind (the
// sanitizer build's leak check counts what is left at exit).
TEST_F(ShowWindowTest, RendererResetsMakeTheTexturesAgain)
{
    setenv("ZELVIK_PRESENTATION", "texture", 1);
    Open();
    Push(WindowEvent(ShowWindowId(), SDL_WINDOWEVENT_FOCUS_GAINED));
    ExpectQuadrantsAt4By3();
    const int32_t made = DisplayTexturesMade();
    for (int i = 0; i < 50; ++i) {
        SDL_Event e{};
        e.type = i % 2 ? SDL_RENDER_TARGETS_RESET : SDL_RENDER_DEVICE_RESET;
        Push(e);
        ASSERT_EQ(PresentFrameOrRecover(TrueColourFrame), FrameOutcome::Shown);
    }
    // A device reset makes both textures again, a targets reset the
    // intermediate one (where the renderer has render targets at all).
    EXPECT_GE(DisplayTexturesMade() - made, 25 + 25);
    ExpectQuadrantsAt4By3();
}

TEST_F(ShowWindowTest, BackBufferThatStopsLockingIsMadeAgainOnBothPaths)
{
    for (const char* path : {"surface", "texture"}) {
        SCOPED_TRACE(path);
        setenv("ZELVIK_PRESENTATION", path, 1);
        Open();
        Push(WindowEvent(ShowWindowId(), SDL_WINDOWEVENT_FOCUS_GAINED));
        ExpectQuadrantsAt4By3();
        const int32_t made = DisplayTexturesMade();
        FailSdlDisplayLocks(kFailedFramesBeforeReset);
        for (int i = 0; i < kFailedFramesBeforeReset; ++i)
            EXPECT_EQ(PresentFrameOrRecover(TrueColourFrame), FrameOutcome::Skipped);
        if (DisplayPresentationPath() == PresentationPath::Texture) {
            EXPECT_GT(DisplayTexturesMade(), made) << "the back buffer was not made again";
        }
        ExpectQuadrantsAt4By3();
        // Locks that keep failing after the reset: lost, not frozen.
        FailSdlDisplayLocks(1000);
        FrameOutcome outcome = FrameOutcome::Shown;
        int frames = 0;
        while (outcome != FrameOutcome::Lost && frames < 20) {
            outcome = PresentFrameOrRecover(TrueColourFrame);
            ++frames;
        }
        EXPECT_EQ(outcome, FrameOutcome::Lost);
        EXPECT_EQ(frames, 2 * kFailedFramesBeforeReset);
        FailSdlDisplayLocks(0);
        ShutdownDisplay();
    }
}

// --- The program from the dialog to the end -------------------------------------------

namespace {

int32_t DisplayOpens;
void CountOpen() { ++DisplayOpens; }

void PushClick(WindowHandle dialog, int32_t id)
{
    int x = 0, y = 0;
    ItemCentre(dialog, id, &x, &y);
    Push(MouseButton(true, GetSdlWindowId(dialog), x, y));
    Push(MouseButton(false, GetSdlWindowId(dialog), x, y));
}

}  // namespace

TEST_F(ShowWindowTest, LeavingTheDialogWithoutStartOpensNothingAndSaysNothing)
{
    DisplayOpens = 0;
    SetDisplayOpenedHook(CountOpen);
    for (auto hook : {+[](WindowHandle d) { Push(Key(true, GetSdlWindowId(d), SDLK_ESCAPE)); },
                      +[](WindowHandle d) { PushClick(d, kExitButton); }}) {
        SetDialogCreatedHook(hook);
        testing::internal::CaptureStderr();
        EXPECT_EQ(DemoMain(), 1);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    }
    EXPECT_EQ(DisplayOpens, 0);
    EXPECT_EQ(FakeMusic.starts + FakeMusic.plays + FakeMusic.shutdowns, 0);
}

TEST_F(ShowWindowTest, MusicThatCannotStartEndsTheProgramWithOneLineBeforeTheDisplayOpens)
{
    DisplayOpens = 0;
    SetDisplayOpenedHook(CountOpen);
    FakeMusicStartResult = false;
    SetDialogCreatedHook([](WindowHandle d) { PushClick(d, kStartButton); });
    testing::internal::CaptureStderr();
    EXPECT_EQ(DemoMain(), 1);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("no audio output"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_EQ(DisplayOpens, 0);
    EXPECT_EQ(FakeMusic.starts, 1);
    EXPECT_FALSE(FakeMusic.stereo);   // the defaults: mono, 22050
    EXPECT_FALSE(FakeMusic.highRate);
}

// The whole program, from the dialog's choices to its end: DemoMain
// returns 0, which is the process's exit status.
TEST_F(ShowWindowTest, StartWithStereoAnd44100RunsTheShowUntilEscape)
{
    SetDialogCreatedHook([](WindowHandle d) {
        PushClick(d, kStereoButton);
        PushClick(d, kRate44100Button);
        PushClick(d, kStartButton);
    });
    SetDisplayOpenedHook([] { Push(Key(true, 0, SDLK_ESCAPE)); });
    EXPECT_EQ(DemoMain(), 0);
    EXPECT_EQ(FakeMusic.starts, 1);
    EXPECT_TRUE(FakeMusic.stereo);
    EXPECT_TRUE(FakeMusic.highRate);
    EXPECT_EQ(FakeMusic.plays, 1);
    EXPECT_EQ(FakeMusic.shutdowns, 1);
    EXPECT_TRUE(FakeMusic.shutdownMusicEnabled);
    EXPECT_TRUE(FakeMusic.screenSaverOnAtShutdown);
}

TEST_F(ShowWindowTest, WithMusicOffThePlayerIsNeverAskedForAnything)
{
    SetDialogCreatedHook([](WindowHandle d) {
        PushClick(d, kPlayMusicBox);
        PushClick(d, kStartButton);
    });
    SetDisplayOpenedHook([] { Push(Quit()); });
    EXPECT_EQ(DemoMain(), 0);
    EXPECT_EQ(FakeMusic.starts + FakeMusic.plays, 0);
    EXPECT_EQ(FakeMusic.shutdowns, 1);
    EXPECT_FALSE(FakeMusic.shutdownMusicEnabled);
}

// A display that cannot be mended ends the show with one line and status
// 0, the music shut down as at any end, instead of a frozen picture.
TEST_F(ShowWindowTest, DisplayThatCannotBeMendedEndsTheShowWithOneLineAndStatusZero)
{
    SetDialogCreatedHook([](WindowHandle d) { PushClick(d, kStartButton); });
    SetDisplayOpenedHook([] {
        Push(WindowEvent(ShowWindowId(), SDL_WINDOWEVENT_FOCUS_GAINED));
        FailSdlDisplayLocks(1 << 30);
    });
    testing::internal::CaptureStderr();
    EXPECT_EQ(DemoMain(), 0);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("zelvik: the display stopped taking frames and could not be made again: lock "
                       "failure injected by a test\n"),
              std::string::npos)
        << err;
    EXPECT_EQ(FakeMusic.shutdowns, 1);
}
