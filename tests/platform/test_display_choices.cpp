// The SDL display back end's choices, worked out without a window: the
// pixel format to stream through, the picture's place, the presentation
// path for a renderer and the pacing of flips without vertical sync.
#include <gtest/gtest.h>

#include <SDL.h>

#include <string>
#include <vector>

#include "display/display.h"
#include "display/presentation.h"
#include "platform/display/sdl_display_testing.h"

using namespace zelvik;

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

// --- Presentation paths ----------------------------------------------------------------

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

// --- Pacing without vertical sync ---------------------------------------------------

// Frames that come early are held to one per refresh period, in step (no
// drift from the waits); a late frame goes out at once and the steps
// continue from it; the first frame is never held.
TEST(PacedFlip, OneFramePerPeriodWithoutDriftOrCatchingUp)
{
    constexpr uint64_t kPeriod = 1000;
    EXPECT_EQ(PacedFlipTime(5000, 0, kPeriod), 5000u);
    uint64_t previous = 5000;
    for (int frame = 1; frame <= 10; ++frame) {  // drawing takes 300 units
        const uint64_t when = PacedFlipTime(previous + 300, previous, kPeriod);
        EXPECT_EQ(when, 5000u + kPeriod * static_cast<uint64_t>(frame));
        previous = when;
    }
    EXPECT_EQ(PacedFlipTime(previous + 2500, previous, kPeriod), previous + 2500) << "late: at once";
    EXPECT_EQ(PacedFlipTime(previous + kPeriod, previous, kPeriod), previous + kPeriod);
    EXPECT_EQ(PacedFlipTime(100, 200, kPeriod), 100u) << "a clock that went back is not waited for";
}
