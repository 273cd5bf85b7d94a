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
#include "fake_music.h"
#include "program/demo_main.h"
#include "platform/process.h"
#include "platform/sdl_display.h"
#include "options_dialog.h"
#include "sdl_events.h"

using namespace zelvik;
using namespace test_events;

// --- Format choice ------------------------------------------------------------------

TEST(BackBufferFormat, EachOfTheEightSdlFormatsGetsItsConverterAndStorageWidth)
{
    struct Case {
        uint32_t sdlFormat;
        const char* expected;
    };
    // SDL names 24-bit formats by byte order (RGB24 = bytes R, G, B) and the
    // packed ones by value: RGB24 is the show's "24-swapped" (byte 0 red).
    const Case cases[] = {
        {SDL_PIXELFORMAT_RGB888, "32"},       {SDL_PIXELFORMAT_BGR888, "32-swapped"},
        {SDL_PIXELFORMAT_BGR24, "24"},        {SDL_PIXELFORMAT_RGB24, "24-swapped"},
        {SDL_PIXELFORMAT_RGB565, "565"},      {SDL_PIXELFORMAT_BGR565, "565-swapped"},
        {SDL_PIXELFORMAT_RGB555, "555"},      {SDL_PIXELFORMAT_BGR555, "555-swapped"},
        {SDL_PIXELFORMAT_ARGB8888, "32"},     {SDL_PIXELFORMAT_ABGR8888, "32-swapped"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(SDL_GetPixelFormatName(c.sdlFormat));
        const BackBufferChoice choice = ChooseBackBufferFormat(&c.sdlFormat, 1);
        ASSERT_NE(choice.format, nullptr);
        EXPECT_STREQ(choice.format->name, c.expected);
        EXPECT_EQ(choice.sdlFormat, c.sdlFormat);
        ReportedPixelFormat reported{};
        ASSERT_TRUE(DescribeSdlFormat(c.sdlFormat, &reported));
        EXPECT_EQ(reported.bitCount, choice.format->bitCount);  // 16 for 5-5-5, never 15
        EXPECT_EQ(SelectRowConverter(reported.bitCount, reported.redMask, reported.greenMask,
                                     reported.blueMask),
                  choice.format->converter);
    }
}

TEST(BackBufferFormat, DeepestOfferedFormatWinsAndAlphaFreeIsPreferred)
{
    auto choose = [](std::initializer_list<uint32_t> offered) {
        const std::vector<uint32_t> list(offered);
        const BackBufferChoice c = ChooseBackBufferFormat(list.data(), static_cast<int32_t>(list.size()));
        return c.sdlFormat;
    };
    // What SDL's software renderer offers.
    EXPECT_EQ(choose({SDL_PIXELFORMAT_ARGB8888, SDL_PIXELFORMAT_ABGR8888, SDL_PIXELFORMAT_RGBA8888,
                      SDL_PIXELFORMAT_BGRA8888, SDL_PIXELFORMAT_RGB888, SDL_PIXELFORMAT_BGR888,
                      SDL_PIXELFORMAT_RGB565, SDL_PIXELFORMAT_RGB555}),
              SDL_PIXELFORMAT_RGB888);
    EXPECT_EQ(choose({SDL_PIXELFORMAT_ABGR8888, SDL_PIXELFORMAT_RGB565}), SDL_PIXELFORMAT_ABGR8888);
    EXPECT_EQ(choose({SDL_PIXELFORMAT_RGB555, SDL_PIXELFORMAT_RGB24, SDL_PIXELFORMAT_RGB565}),
              SDL_PIXELFORMAT_RGB24);
    EXPECT_EQ(choose({SDL_PIXELFORMAT_BGR555, SDL_PIXELFORMAT_BGR565}), SDL_PIXELFORMAT_BGR565);
    // Nothing the show can draw into: none.
    EXPECT_EQ(choose({SDL_PIXELFORMAT_RGBA8888, SDL_PIXELFORMAT_YV12, SDL_PIXELFORMAT_INDEX8,
                      SDL_PIXELFORMAT_RGB444}),
              0u);
    EXPECT_EQ(ChooseBackBufferFormat(nullptr, 0).format, nullptr);
}

// --- Picture geometry -------------------------------------------------------------------

TEST(PictureGeometry, FourByThreeCentredWithWholeNumberUpscaling)
{
    struct Case {
        int32_t outW, outH, maxTexture;
        PixelRect picture;
        int32_t upW, upH;
    };
    const Case cases[] = {
        {1024, 768, 0, {0, 0, 1024, 768}, 1280, 800},      // 4:3: no borders
        {1280, 1024, 0, {0, 32, 1280, 960}, 1280, 1000},   // 5:4: bars above and below
        {1920, 1080, 0, {240, 0, 1440, 1080}, 1600, 1200}, // 16:9: bars left and right
        {320, 240, 0, {0, 0, 320, 240}, 320, 400},
        {3840, 2160, 2048, {480, 0, 2880, 2160}, 1920, 2000},  // capped by the texture limit
        {100, 50, 0, {16, 0, 67, 50}, 320, 200},           // smaller than the canvas
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.outW) + "x" + std::to_string(c.outH));
        const PresentationGeometry g = ComputePresentation(c.outW, c.outH, 320, 200, c.maxTexture, c.maxTexture);
        EXPECT_EQ(g.picture.x, c.picture.x);
        EXPECT_EQ(g.picture.y, c.picture.y);
        EXPECT_EQ(g.picture.w, c.picture.w);
        EXPECT_EQ(g.picture.h, c.picture.h);
        EXPECT_EQ(g.upscaledW, c.upW);
        EXPECT_EQ(g.upscaledH, c.upH);
    }
    const PresentationGeometry none = ComputePresentation(0, 0, 320, 200, 0, 0);
    EXPECT_EQ(none.picture.w * none.picture.h, 0);
}

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
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        UseHeadlessDrivers();
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

// Escape and the close request end the process: display first, then the
// music, then status 0.
TEST_F(ShowWindowTest, EscapeEndsTheProcessWithStatusZero)
{
    EXPECT_EXIT(
        {
            MusicEnabled = 1;
            SetDisplayWindowProc(DemoWindowProc);
            Open();
            Push(Key(true, ShowWindowId(), SDLK_ESCAPE));
            PresentFrame(TrueColourFrame);
            std::fprintf(stderr, "still running\n");
        },
        testing::ExitedWithCode(0), "shutdown\\(1\\) screensaver=1");
}

TEST_F(ShowWindowTest, CloseRequestAndQuitEndTheProcessWithStatusZero)
{
    EXPECT_EXIT(
        {
            MusicEnabled = 0;
            SetDisplayWindowProc(DemoWindowProc);
            Open();
            Push(WindowEvent(ShowWindowId(), SDL_WINDOWEVENT_CLOSE));
            PresentFrame(TrueColourFrame);
        },
        testing::ExitedWithCode(0), "shutdown\\(0\\)");
    EXPECT_EXIT(
        {
            SetDisplayWindowProc(DemoWindowProc);
            Open();
            Push(Quit());
            PresentFrame(TrueColourFrame);
        },
        testing::ExitedWithCode(0), "");
}

// --- Presentation paths, display changes, back buffers that stop locking --------------

TEST(PresentationPath, ProcessorDrawnRenderersGoStraightToTheWindowSurface)
{
    using enum PresentationPath;
    struct Case {
        const char* renderer;
        const char* gl;
        const char* forced;
        PresentationPath expected;
    };
    const Case cases[] = {
        {"software", "", nullptr, Surface},
        {"opengl", "llvmpipe (LLVM 15.0.6, 256 bits)", nullptr, Surface},
        {"opengl", "Gallium 0.4 on softpipe", nullptr, Surface},
        {"opengles2", "Mesa DRI SWRAST", nullptr, Surface},
        {"opengl", "Mesa Intel(R) UHD Graphics 620 (KBL GT2)", nullptr, Texture},
        {"opengl", "", nullptr, Texture},
        {"direct3d11", "", nullptr, Texture},
        {"software", "", "texture", Texture},
        {"opengl", "AMD Radeon RX 6600", "surface", Surface},
        {"software", "", "", Surface},  // empty: chosen by the renderer
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.renderer) + " / " + c.gl + " / " + (c.forced ? c.forced : "-"));
        EXPECT_EQ(ChoosePresentationPath(c.renderer, c.gl, c.forced), c.expected);
    }
}

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

TEST(TickCount, CountsMillisecondsSinceBootNotSinceProgramStart)
{
    // steady_clock runs on the same monotonic clock, counted from boot.
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
    const uint32_t expected = static_cast<uint32_t>(static_cast<uint64_t>(ms));
    EXPECT_LE(GetTickCount() - expected, 5u);
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

TEST_F(ShowWindowTest, StartWithStereoAnd44100RunsTheShowUntilEscape)
{
    EXPECT_EXIT(
        {
            SetDialogCreatedHook([](WindowHandle d) {
                PushClick(d, kStereoButton);
                PushClick(d, kRate44100Button);
                PushClick(d, kStartButton);
            });
            SetDisplayOpenedHook([] { Push(Key(true, 0, SDLK_ESCAPE)); });
            DemoMain();
            std::fprintf(stderr, "DemoMain returned\n");
        },
        testing::ExitedWithCode(0),
        "music calls: start=1 stereo=1 highRate=1 play=1 shutdown\\(1\\)");
}

TEST_F(ShowWindowTest, WithMusicOffThePlayerIsNeverAskedForAnything)
{
    EXPECT_EXIT(
        {
            SetDialogCreatedHook([](WindowHandle d) {
                PushClick(d, kPlayMusicBox);
                PushClick(d, kStartButton);
            });
            SetDisplayOpenedHook([] { Push(Quit()); });
            DemoMain();
        },
        testing::ExitedWithCode(0), "music calls: start=0 stereo=0 highRate=0 play=0 shutdown\\(0\\)");
}

// A display that cannot be mended ends the show with one line and status
// 0, the music shut down as at any end, instead of a frozen picture.
TEST_F(ShowWindowTest, DisplayThatCannotBeMendedEndsTheShowWithOneLineAndStatusZero)
{
    EXPECT_EXIT(
        {
            SetDialogCreatedHook([](WindowHandle d) { PushClick(d, kStartButton); });
            SetDisplayOpenedHook([] {
                Push(WindowEvent(ShowWindowId(), SDL_WINDOWEVENT_FOCUS_GAINED));
                FailSdlDisplayLocks(1 << 30);
            });
            const int status = DemoMain();
            std::fprintf(stderr, "DemoMain returned %d\n", status);
            std::exit(status);
        },
        testing::ExitedWithCode(0),
        "zelvik: the display stopped taking frames and could not be made again: lock failure injected by a "
        "test\n.*DemoMain returned 0");
}
