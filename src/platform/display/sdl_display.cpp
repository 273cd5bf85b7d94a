// The full-screen display on SDL2. The window covers the desktop in its own
// mode (the display mode is never switched). Two ways to present:
// - texture (a renderer that draws on a graphics processor): the back buffer
//   is a streaming texture in one of the show's eight pixel formats, locked
//   and filled by PresentFrame; a flip scales it by whole numbers into an
//   intermediate target (sharp pixels), then smoothly onto the 4:3 picture
//   rectangle;
// - surface (a renderer that draws with the processor, where every texture
//   scale is costly): the back buffer is a 320 x 200 block of memory in
//   0x00RRGGBB words; a flip scales it with the shared scaler straight into
//   the window's own surface and sends only the picture's rectangle to the
//   window system. The black borders are drawn once per window size.
//   Where the window system offers no window surface (SDL 2.26 on Wayland)
//   the scaled picture goes into a streaming texture of the picture's own
//   size instead, which the renderer copies 1:1 into the black window: the
//   same work for the processor, and the window's full pixel density.
// The window's events reach the show through sdl_input.cpp.
#include "platform/display/sdl_display.h"

#include <SDL.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "display/scaler.h"
#include "driver/report.h"
#include "platform/display/sdl_display_testing.h"
#include "platform/input/sdl_input.h"

namespace zelvik {

static void (*OpenedHook)();
static SDL_Window* SdlWindow;
static SDL_Renderer* Renderer;
static SDL_Texture* BackBuffer;
static SDL_Texture* Upscaled;
static int32_t UpscaledW, UpscaledH;
static uint32_t BackBufferFormat;
static const PixelFormatSpec* BackBufferSpec;
static int32_t Width, Height;
static int32_t MaxTextureW, MaxTextureH;
static WindowHandle Handle;
static bool DeviceLost;
static bool Vsync;
static char RendererName[32];
static char GlRendererName[96];
static uint32_t FormatOverride;
static PresentationPath Path;
// Surface path: the back buffer in memory, the window's surface as last
// seen, and what the next flip must redo (borders after a new surface,
// the whole window after an exposure).
static std::vector<uint32_t> MemoryBackBuffer;
static SDL_Surface* WindowSurface;
// Surface path without a window surface: the picture's texture and size.
static SDL_Texture* PictureTexture;
static int32_t PictureW, PictureH;
static bool SurfaceNew;
static bool WholeWindowPending;
static bool TargetsLost;
static int32_t LocksToFail;
static int32_t TexturesMade;
// With ZELVIK_DISPLAY_REPORT: frames presented since the window opened, and
// the counter's value at the first, for the rate printed when it closes.
static bool ReportFrames;
static uint64_t FramesPresented;
static uint64_t FirstPresentCounter;

void SetDisplayOpenedHook(void (*hook)()) { OpenedHook = hook; }
WindowHandle DisplayWindowHandle() { return Handle; }
const char* DisplayRendererName() { return RendererName; }
void SetBackBufferFormatOverride(uint32_t sdlFormat) { FormatOverride = sdlFormat; }
SDL_Renderer* DisplayRenderer() { return Renderer; }
PresentationPath DisplayPresentationPath() { return Path; }
void FailSdlDisplayLocks(int32_t count) { LocksToFail = count; }
int32_t DisplayTexturesMade() { return TexturesMade; }

// --- Pure pieces ------------------------------------------------------------

bool DescribeSdlFormat(uint32_t sdlFormat, ReportedPixelFormat* format)
{
    if (SDL_ISPIXELFORMAT_FOURCC(sdlFormat) || SDL_ISPIXELFORMAT_INDEXED(sdlFormat)) return false;
    int bpp = 0;
    Uint32 r = 0, g = 0, b = 0, a = 0;
    if (!SDL_PixelFormatEnumToMasks(sdlFormat, &bpp, &r, &g, &b, &a)) return false;
    // SDL counts the bits that carry colour (15 for 5-5-5); a display
    // reports the storage width.
    *format = ReportedPixelFormat{kPixelFormatRgbFlag,
                                  static_cast<uint32_t>(SDL_BYTESPERPIXEL(sdlFormat)) * 8u, r, g, b};
    return true;
}

static bool HasAlpha(uint32_t sdlFormat) { return SDL_ISPIXELFORMAT_ALPHA(sdlFormat); }

BackBufferChoice ChooseBackBufferFormat(const uint32_t* sdlFormats, int32_t count)
{
    for (const PixelFormatSpec& spec : PixelFormats) {
        BackBufferChoice best{0, nullptr};
        for (int32_t i = 0; i < count; ++i) {
            ReportedPixelFormat f{};
            if (!DescribeSdlFormat(sdlFormats[i], &f)) continue;
            if (f.bitCount != spec.bitCount || f.redMask != spec.redMask ||
                f.greenMask != spec.greenMask || f.blueMask != spec.blueMask)
                continue;
            if (best.format == nullptr || (HasAlpha(best.sdlFormat) && !HasAlpha(sdlFormats[i])))
                best = BackBufferChoice{sdlFormats[i], &spec};
        }
        if (best.format) return best;
    }
    return BackBufferChoice{0, nullptr};
}

static bool ContainsNoCase(const char* text, const char* word)
{
    const size_t n = std::strlen(word);
    for (; text != nullptr && *text != '\0'; ++text) {
        size_t i = 0;
        while (i < n && text[i] != '\0' &&
               std::tolower(static_cast<unsigned char>(text[i])) == std::tolower(static_cast<unsigned char>(word[i])))
            ++i;
        if (i == n) return true;
    }
    return false;
}

bool IsSoftwareRenderer(const char* rendererName, const char* glRenderer)
{
    if (rendererName != nullptr && std::strcmp(rendererName, "software") == 0) return true;
    for (const char* rasteriser : {"llvmpipe", "softpipe", "swrast"})
        if (ContainsNoCase(glRenderer, rasteriser)) return true;
    return false;
}

PresentationPath ChoosePresentationPath(const char* rendererName, const char* glRenderer,
                                        const char* forced)
{
    if (forced != nullptr && std::strcmp(forced, "surface") == 0) return PresentationPath::Surface;
    if (forced != nullptr && std::strcmp(forced, "texture") == 0) return PresentationPath::Texture;
    return IsSoftwareRenderer(rendererName, glRenderer) ? PresentationPath::Surface
                                                        : PresentationPath::Texture;
}

// --- Textures -------------------------------------------------------------------

static void DestroyTextures()
{
    if (Upscaled) SDL_DestroyTexture(Upscaled);
    if (BackBuffer) SDL_DestroyTexture(BackBuffer);
    if (PictureTexture) SDL_DestroyTexture(PictureTexture);
    Upscaled = BackBuffer = PictureTexture = nullptr;
    UpscaledW = UpscaledH = PictureW = PictureH = 0;
}

static bool CreateBackBuffer()
{
    BackBuffer = SDL_CreateTexture(Renderer, BackBufferFormat, SDL_TEXTUREACCESS_STREAMING, Width,
                                   Height);
    if (BackBuffer == nullptr) return false;
    ++TexturesMade;
    // The alpha bits of a frame are zero; they must not make it transparent.
    SDL_SetTextureBlendMode(BackBuffer, SDL_BLENDMODE_NONE);
    SDL_SetTextureScaleMode(BackBuffer, SDL_ScaleModeNearest);
    return true;
}

// The intermediate target, made again only when the output size changes.
static void EnsureUpscaled(int32_t w, int32_t h)
{
    if (Upscaled && UpscaledW == w && UpscaledH == h) return;
    if (Upscaled) SDL_DestroyTexture(Upscaled);
    Upscaled = SDL_CreateTexture(Renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, w, h);
    UpscaledW = w;
    UpscaledH = h;
    if (Upscaled == nullptr) return;  // no render targets: the flip scales directly
    ++TexturesMade;
    SDL_SetTextureBlendMode(Upscaled, SDL_BLENDMODE_NONE);
    SDL_SetTextureScaleMode(Upscaled, SDL_ScaleModeLinear);
}

// --- Back end ---------------------------------------------------------------------

// Counts a frame handed to the window system.
static void CountPresent()
{
    if (FramesPresented++ == 0) FirstPresentCounter = SDL_GetPerformanceCounter();
}

static void Close()
{
    if (ReportFrames && FramesPresented > 1) {
        const double seconds = static_cast<double>(SDL_GetPerformanceCounter() - FirstPresentCounter) /
                               static_cast<double>(SDL_GetPerformanceFrequency());
        Report("display: %llu frames presented in %.1f s, %.1f a second",
               static_cast<unsigned long long>(FramesPresented), seconds,
               seconds > 0 ? static_cast<double>(FramesPresented - 1) / seconds : 0.0);
    }
    FramesPresented = 0;
    DestroyTextures();
    MemoryBackBuffer.clear();
    MemoryBackBuffer.shrink_to_fit();
    WindowSurface = nullptr;
    CloseScaler();
    if (Renderer) SDL_DestroyRenderer(Renderer);
    if (SdlWindow) SDL_DestroyWindow(SdlWindow);
    Renderer = nullptr;
    SdlWindow = nullptr;
    StopWindowInput();
    DetachWindowHandle(Handle);
    Handle = nullptr;
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(SDL_ENABLE);
}

// Undoes a half-made open, keeping SDL's reason for the failure.
static int FailOpen()
{
    char reason[256];
    std::strncpy(reason, SDL_GetError(), sizeof reason - 1);
    reason[sizeof reason - 1] = '\0';
    Close();
    SDL_SetError("%s", reason);
    return 0;
}

// The OpenGL renderer's own name for what draws (GL_RENDERER), read
// through SDL so that the program does not link the GL library.
static void ReadGlRendererName()
{
    GlRendererName[0] = '\0';
    if (std::strncmp(RendererName, "opengl", 6) != 0 || SDL_GL_GetCurrentContext() == nullptr) return;
    using GetString = const unsigned char* (*)(unsigned int);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    if (getString == nullptr) return;
    constexpr unsigned int kGlRenderer = 0x1F01;
    const unsigned char* name = getString(kGlRenderer);
    if (name == nullptr) return;
    std::strncpy(GlRendererName, reinterpret_cast<const char*>(name), sizeof GlRendererName - 1);
    GlRendererName[sizeof GlRendererName - 1] = '\0';
}

static bool OpenRenderer()
{
    Renderer = SDL_CreateRenderer(SdlWindow, -1, SDL_RENDERER_PRESENTVSYNC);
    if (Renderer == nullptr) Renderer = SDL_CreateRenderer(SdlWindow, -1, 0);
    if (Renderer == nullptr) return false;
    // A renderer made on a graphics context that another renderer drew with
    // before (a browser keeps one context per canvas, so the dialog's) takes
    // over that one's clipping (scissor) while believing it off, and would
    // draw only inside the dialog's last clip. Setting and clearing a clip
    // makes it switch clipping off at its first drawing.
    const SDL_Rect anyClip{0, 0, 1, 1};
    SDL_RenderSetClipRect(Renderer, &anyClip);
    SDL_RenderSetClipRect(Renderer, nullptr);
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(Renderer, &info) != 0) return false;
    std::strncpy(RendererName, info.name ? info.name : "", sizeof RendererName - 1);
    Vsync = (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
    MaxTextureW = info.max_texture_width;
    MaxTextureH = info.max_texture_height;
    ReadGlRendererName();
    return true;
}

static bool OpenTexturePath()
{
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(Renderer, &info) != 0) return false;
    BackBufferChoice choice =
        ChooseBackBufferFormat(info.texture_formats, static_cast<int32_t>(info.num_texture_formats));
    if (choice.format == nullptr) {
        // SDL converts any RGB texture for any renderer; 32-bit is the
        // cheapest conversion when the renderer names none of ours.
        choice = BackBufferChoice{SDL_PIXELFORMAT_RGB888, &PixelFormats[0]};
    }
    if (FormatOverride != 0) {
        choice = ChooseBackBufferFormat(&FormatOverride, 1);
        if (choice.format == nullptr) {
            SDL_SetError("%s is none of the show's pixel formats", SDL_GetPixelFormatName(FormatOverride));
            return false;
        }
    }
    BackBufferFormat = choice.sdlFormat;
    BackBufferSpec = choice.format;
    return CreateBackBuffer();
}

// The window's surface as the scaler can write it: 32-bit 0x00RRGGBB.
static SDL_Surface* ScalableWindowSurface()
{
    SDL_Surface* surface = SDL_GetWindowSurface(SdlWindow);
    if (surface == nullptr || surface->format->format != SDL_PIXELFORMAT_RGB888) return nullptr;
    return surface;
}

// The renderer gives way to the window's own surface. Where the window
// has none (or not a 32-bit XRGB one), the renderer is made again and
// shows the picture's texture; false when even that cannot be had.
static bool OpenSurfacePath()
{
    SDL_DestroyRenderer(Renderer);
    Renderer = nullptr;
    Vsync = false;
    if (ScalableWindowSurface() == nullptr && !OpenRenderer()) return false;
    MemoryBackBuffer.assign(static_cast<size_t>(Width) * static_cast<size_t>(Height), 0);
    BackBufferSpec = &PixelFormats[0];  // 0x00RRGGBB words: rows are copied as they are
    BackBufferFormat = SDL_PIXELFORMAT_RGB888;
    WindowSurface = nullptr;
    SurfaceNew = true;
    WholeWindowPending = true;
    return true;
}

// The window's first picture, before the show draws anything. A Wayland
// compositor maps a window, and gives it the focus, only once it has shown
// a buffer; the show draws only while its window has the focus, so without
// this frame neither would ever come. Black is what the borders are anyway.
static void ShowBlackFrame()
{
    if (Renderer == nullptr) {
        SDL_Surface* surface = ScalableWindowSurface();
        if (surface == nullptr) return;
        SDL_FillRect(surface, nullptr, 0);
        SDL_UpdateWindowSurface(SdlWindow);
        return;
    }
    SDL_SetRenderDrawColor(Renderer, 0, 0, 0, 255);
    SDL_RenderClear(Renderer);
    SDL_RenderPresent(Renderer);
}

static int Open(const char* title, int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0) {
        SDL_SetError("bad display size %dx%d", static_cast<int>(width), static_cast<int>(height));
        return 0;
    }
    // Switching away from the full-screen show (Alt+Tab) minimises it.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "1");
    // The window's surface is plain memory sent to the window system, never
    // a texture of a renderer SDL would make for it behind our back.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (!InitWindowSystem()) return 0;
    Width = width;
    Height = height;

    // The window is made as large as the desktop, where it stays without a
    // window manager to act on the full-screen request.
    SDL_Rect desktop{SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height};
    if (SDL_GetDisplayBounds(0, &desktop) != 0)
        desktop = SDL_Rect{SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height};
    SdlWindow = SDL_CreateWindow(title, desktop.x, desktop.y, desktop.w, desktop.h,
                                 SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_ALLOW_HIGHDPI);
    if (SdlWindow == nullptr) return FailOpen();
    if (!OpenRenderer()) return FailOpen();

    // The renderer tells whether the processor would do the drawing; a
    // test may force either path. The forced format is a texture's.
    const char* forced = std::getenv("ZELVIK_PRESENTATION");
    if (forced != nullptr && *forced != '\0' && std::strcmp(forced, "surface") != 0 &&
        std::strcmp(forced, "texture") != 0) {
        Report("ZELVIK_PRESENTATION is \"surface\" or \"texture\", not \"%s\"; choosing by the renderer", forced);
        forced = nullptr;
    }
    Path = ChoosePresentationPath(RendererName, GlRendererName, forced);
    if (FormatOverride != 0) Path = PresentationPath::Texture;
    if (Path == PresentationPath::Surface && !OpenSurfacePath()) return FailOpen();
    if (Path == PresentationPath::Texture && !OpenTexturePath()) return FailOpen();
    ReportFrames = std::getenv("ZELVIK_DISPLAY_REPORT") != nullptr;
    if (ReportFrames)
        Report("display: renderer %s%s%s%s, presenting through the %s", RendererName,
               *GlRendererName ? " (" : "", GlRendererName, *GlRendererName ? ")" : "",
               Path == PresentationPath::Texture ? "renderer's textures"
               : Renderer != nullptr             ? "picture's texture"
                                                 : "window surface");

    ShowBlackFrame();
    Handle = AttachWindowHandle(SdlWindow);
    StartWindowInput(SdlWindow, Handle);
    DeviceLost = false;
    TargetsLost = false;
    if (OpenedHook) OpenedHook();
    return 1;
}

static int GetPixelFormat(ReportedPixelFormat* format)
{
    if (BackBufferSpec == nullptr) return 0;
    *format = ReportedPixelFormat{kPixelFormatRgbFlag, BackBufferSpec->bitCount, BackBufferSpec->redMask,
                                  BackBufferSpec->greenMask, BackBufferSpec->blueMask};
    return 1;
}

// The window's events, as messages to the show's procedure and as notes
// on what the next flip must redo.
static void PumpMessages()
{
    DisplayEventNotes notes{};
    PumpWindowInput(&notes);
    if (notes.surfaceChanged) SurfaceNew = WholeWindowPending = true;
    if (notes.exposed) WholeWindowPending = true;
    if (notes.deviceLost) DeviceLost = true;
    if (notes.targetsLost) TargetsLost = true;
}

// A lost device takes every texture with it: make the back buffer again.
// Lost render targets take the intermediate one: the next flip makes it.
static void Restore()
{
    if (Renderer == nullptr) return;
    if (TargetsLost && !DeviceLost) {
        TargetsLost = false;
        if (Upscaled) SDL_DestroyTexture(Upscaled);
        Upscaled = nullptr;
        UpscaledW = UpscaledH = 0;
    }
    if (!DeviceLost) return;
    DeviceLost = TargetsLost = false;
    DestroyTextures();
    if (Path == PresentationPath::Texture) CreateBackBuffer();  // the picture's is made at the next flip
}

// The back buffer stopped locking: make it, and what shows it, again.
static int Reset()
{
    if (SdlWindow == nullptr) return 0;
    if (Path == PresentationPath::Surface) {
        SurfaceNew = WholeWindowPending = true;
        WindowSurface = nullptr;
        if (Renderer != nullptr) DestroyTextures();  // the picture's texture is made at the next flip
        return !MemoryBackBuffer.empty() && (Renderer != nullptr || ScalableWindowSurface() != nullptr);
    }
    if (Renderer == nullptr) return 0;
    DestroyTextures();
    return CreateBackBuffer() ? 1 : 0;
}

static int Lock(LockedSurface* surface)
{
    if (LocksToFail > 0) {
        --LocksToFail;
        SDL_SetError("lock failure injected by a test");
        return 0;
    }
    if (Path == PresentationPath::Surface) {
        if (MemoryBackBuffer.empty()) return 0;
        surface->pixels = reinterpret_cast<uint8_t*>(MemoryBackBuffer.data());
        surface->pitch = Width * 4;
        return 1;
    }
    if (BackBuffer == nullptr) return 0;
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(BackBuffer, nullptr, &pixels, &pitch) != 0) return 0;
    surface->pixels = static_cast<uint8_t*>(pixels);
    surface->pitch = pitch;
    return 1;
}

static void Unlock(uint8_t*)
{
    if (Path == PresentationPath::Texture && BackBuffer) SDL_UnlockTexture(BackBuffer);
}

uint64_t PacedFlipTime(uint64_t now, uint64_t previous, uint64_t period)
{
    if (previous == 0 || previous > now) return now;
    const uint64_t due = previous + period;
    return due > now ? due : now;
}

// Holds the flip until its paced time when the renderer has no vertical
// sync (see PacedFlipTime).
static void PaceFlip()
{
    static uint64_t previous;
    if (Vsync || SdlWindow == nullptr) {
        previous = 0;
        return;
    }
    SDL_DisplayMode mode{};
    int refresh = 0;
    if (SDL_GetWindowDisplayMode(SdlWindow, &mode) == 0) refresh = mode.refresh_rate;
    if (refresh <= 0) refresh = 60;
    const uint64_t frequency = SDL_GetPerformanceFrequency();
    const uint64_t now = SDL_GetPerformanceCounter();
    const uint64_t when = PacedFlipTime(now, previous, frequency / static_cast<uint64_t>(refresh));
    if (when > now) SDL_Delay(static_cast<uint32_t>((when - now) * 1000 / frequency));
    previous = when;
}

// Surface path through the renderer: the picture scaled into its texture,
// copied 1:1 onto the black window.
static void FlipPictureTexture()
{
    int outputW = 0, outputH = 0;
    if (SDL_GetRendererOutputSize(Renderer, &outputW, &outputH) != 0) return;
    const PixelRect p = ComputePresentation(outputW, outputH, Width, Height, 0, 0).picture;
    if (p.w <= 0 || p.h <= 0) return;
    if (PictureTexture == nullptr || PictureW != p.w || PictureH != p.h) {
        if (PictureTexture) SDL_DestroyTexture(PictureTexture);
        PictureTexture =
            SDL_CreateTexture(Renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, p.w, p.h);
        PictureW = p.w;
        PictureH = p.h;
        if (PictureTexture == nullptr) return;
        ++TexturesMade;
        SDL_SetTextureBlendMode(PictureTexture, SDL_BLENDMODE_NONE);
        SDL_SetTextureScaleMode(PictureTexture, SDL_ScaleModeNearest);
    }
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(PictureTexture, nullptr, &pixels, &pitch) != 0) return;
    const ScalerSource source{reinterpret_cast<const uint8_t*>(MemoryBackBuffer.data()), Width, Height,
                              Width * 4};
    ScalePicture(source, ScalerTarget{static_cast<uint8_t*>(pixels), p.w, p.h, pitch});
    SDL_UnlockTexture(PictureTexture);
    SDL_SetRenderDrawColor(Renderer, 0, 0, 0, 255);
    SDL_RenderClear(Renderer);
    const SDL_Rect picture{p.x, p.y, p.w, p.h};
    SDL_RenderCopy(Renderer, PictureTexture, nullptr, &picture);
    SDL_RenderPresent(Renderer);
    CountPresent();
}

// Surface path: the memory back buffer scaled into the window's surface;
// only the picture's rectangle goes to the window system, except after a
// new surface (borders drawn) or an exposure.
static void FlipSurface()
{
    if (SdlWindow == nullptr || MemoryBackBuffer.empty()) return;
    PaceFlip();
    if (Renderer != nullptr) {
        FlipPictureTexture();
        return;
    }
    SDL_Surface* surface = ScalableWindowSurface();
    if (surface == nullptr) return;
    if (surface != WindowSurface) SurfaceNew = WholeWindowPending = true;
    WindowSurface = surface;
    const bool mustLock = SDL_MUSTLOCK(surface);
    if (mustLock && SDL_LockSurface(surface) != 0) return;
    const ScalerTarget target{static_cast<uint8_t*>(surface->pixels), surface->w, surface->h, surface->pitch};
    if (SurfaceNew) {
        ClearScalerBorders(target, Width, Height);
        SurfaceNew = false;
    }
    const ScalerSource source{reinterpret_cast<const uint8_t*>(MemoryBackBuffer.data()), Width, Height,
                              Width * 4};
    const bool drawn = ScalePicture(source, target);
    if (mustLock) SDL_UnlockSurface(surface);
    if (WholeWindowPending) {
        if (SDL_UpdateWindowSurface(SdlWindow) == 0) {
            WholeWindowPending = false;
            CountPresent();
        }
    } else if (drawn) {
        const PixelRect& p = ScalerGeometry().picture;
        const SDL_Rect rect{p.x, p.y, p.w, p.h};
        if (SDL_UpdateWindowSurfaceRects(SdlWindow, &rect, 1) == 0) CountPresent();
    }
}

static void Flip()
{
    if (Path == PresentationPath::Surface) {
        FlipSurface();
        return;
    }
    if (Renderer == nullptr || BackBuffer == nullptr) return;
    PaceFlip();
    int outputW = 0, outputH = 0;
    if (SDL_GetRendererOutputSize(Renderer, &outputW, &outputH) != 0) return;
    const PresentationGeometry g =
        ComputePresentation(outputW, outputH, Width, Height, MaxTextureW, MaxTextureH);
    EnsureUpscaled(g.upscaledW, g.upscaledH);
    SDL_Texture* source = BackBuffer;
    if (Upscaled && SDL_SetRenderTarget(Renderer, Upscaled) == 0) {
        SDL_RenderCopy(Renderer, BackBuffer, nullptr, nullptr);
        SDL_SetRenderTarget(Renderer, nullptr);
        source = Upscaled;
    }
    SDL_SetRenderDrawColor(Renderer, 0, 0, 0, 255);
    SDL_RenderClear(Renderer);
    const SDL_Rect picture{g.picture.x, g.picture.y, g.picture.w, g.picture.h};
    SDL_RenderCopy(Renderer, source, nullptr, &picture);
    SDL_RenderPresent(Renderer);
    CountPresent();
}

static void SleepFor(uint32_t milliseconds) { SDL_Delay(milliseconds); }

static void SetScreenSaver(int enabled)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    if (enabled)
        SDL_EnableScreenSaver();
    else
        SDL_DisableScreenSaver();
}

const DisplayBackend SdlDisplay = {
    "sdl", Open, GetPixelFormat, PumpMessages, Restore, Lock, Unlock, Flip, SleepFor,
    SetScreenSaver, Close, Reset,
};

}  // namespace zelvik
