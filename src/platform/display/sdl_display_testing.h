// The SDL display back end taken apart for its tests: the pure pieces
// (format choice, presentation path, flip pacing), what was chosen, and
// failures on demand.
#pragma once

#include <cstdint>

#include "display/display.h"

struct SDL_Renderer;

namespace zelvik {

// The pixel format an SDL pixel format stores, as a display reports it:
// bit count = storage width (16 for 5-5-5), masks of a little-endian pixel
// value. False for indexed and YUV formats.
bool DescribeSdlFormat(uint32_t sdlFormat, ReportedPixelFormat* format);

struct BackBufferChoice {
    uint32_t sdlFormat;            // 0 when nothing fits
    const PixelFormatSpec* format; // nullptr when nothing fits
};

// Of the SDL formats a renderer offers, the one to stream the show through:
// the deepest of the eight formats the show can draw into (32, then 24,
// then 16 bits; in each depth the natural component order first). Among
// formats that store the same pixels, one without an alpha channel wins.
BackBufferChoice ChooseBackBufferFormat(const uint32_t* sdlFormats, int32_t count);

// Called at the end of every successful open, to queue input for the
// show's window.
void SetDisplayOpenedHook(void (*hook)());

// For tests: stream through this SDL pixel format instead of the chosen
// one (0 goes back to choosing), and the renderer of the open display.
void SetBackBufferFormatOverride(uint32_t sdlFormat);
SDL_Renderer* DisplayRenderer();

// The name of the renderer the display was opened with.
const char* DisplayRendererName();

// How frames reach the screen: through the renderer's textures (scaled on
// the graphics processor), or scaled by our own scaler straight into the
// window's surface, which costs far less where the renderer draws with the
// processor anyway.
enum class PresentationPath { Texture, Surface };

// True for a renderer that draws with the processor: SDL's software one,
// or OpenGL on a software rasteriser (its GL_RENDERER names llvmpipe,
// softpipe or swrast).
bool IsSoftwareRenderer(const char* rendererName, const char* glRenderer);

// The path for a renderer; `forced` ("surface" or "texture", from the
// ZELVIK_PRESENTATION environment variable) overrides the choice.
PresentationPath ChoosePresentationPath(const char* rendererName, const char* glRenderer,
                                        const char* forced);

// The open display's path.
PresentationPath DisplayPresentationPath();

// For tests: the next `count` locks of the back buffer fail; the textures
// made so far (back buffers and intermediate targets, counted from start).
void FailSdlDisplayLocks(int32_t count);
int32_t DisplayTexturesMade();

// Without vertical sync a flip returns at once, and the show's loop would
// draw frames as fast as the processor allows, far more than the display
// can show. (SDL itself holds the flip of a renderer that was asked for
// vertical sync and cannot give it; this covers the renderer made without
// the request when the one with it could not be made.) The flip then
// waits instead: a frame is shown one refresh
// period after the one before (the display's rate, 60 Hz when it does not
// say), or at once when it is late. Given the time now, the previous
// frame's time and the period (in the same units), returns when to show
// the frame; the first frame (previous 0) is shown at once. Each frame
// still draws the clock of the moment its loop turn began.
uint64_t PacedFlipTime(uint64_t now, uint64_t previous, uint64_t period);

}  // namespace zelvik
