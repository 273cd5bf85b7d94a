// Module music rendered offline, with exactly the set-up and the samples of
// the live player (module_player.h) but no audio output: the capture tool
// and the fuzzers use it, and link neither SDL nor any sound system.
// Decoding is libopenmpt's; any format it reads is accepted.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zelvik {

// How a module is set up, for the renderer and for BASSMOD_MusicLoad.
//  - kModuleRamp: volume ramping: notes start and stop with short fades
//    instead of clicks.
//  - kModuleLoop: at its end the song goes on from its restart position,
//    for ever; without it the song fades out at its end and stops.
//  - kModuleSinc: eight-tap windowed-sinc resampling (the cleanest the
//    library has) instead of cubic interpolation.
// The show loads its music with 0x105: all three.
constexpr uint32_t kModuleRamp = 0x001;
constexpr uint32_t kModuleLoop = 0x004;
constexpr uint32_t kModuleSinc = 0x100;
constexpr uint32_t kShowModuleFlags = kModuleRamp | kModuleLoop | kModuleSinc;

// The rates a module is rendered at, in Hz.
constexpr uint32_t kLowestModuleRate = 8000;
constexpr uint32_t kHighestModuleRate = 192000;

struct ModuleRenderer;

// Loads the module at `path` for rendering at `rate` Hz, stereo or mono,
// with `flags` as above. nullptr on failure, after one line on stderr
// saying why (the player's own messages for the same file).
ModuleRenderer* OpenModuleRenderer(const char* path, uint32_t rate, bool mono,
                                   uint32_t flags = kShowModuleFlags);
// The same for the `size` module bytes at `data`, named "module in memory"
// in messages, as the player's load from memory names them.
ModuleRenderer* OpenModuleRendererFromMemory(const void* data, size_t size, uint32_t rate, bool mono,
                                             uint32_t flags = kShowModuleFlags);

// Renders the next `frames` frames into `out` (interleaved left/right when
// stereo, so 2 * frames values; frames values when mono). Returns the
// number of frames rendered: `frames`, fewer only when a module that does
// not loop has ended (the rest of `out` is then set to silence).
size_t RenderModuleFrames(ModuleRenderer* renderer, int16_t* out, size_t frames);

// Seconds of music rendered so far (every pass of a loop counts).
double ModuleRendererPosition(const ModuleRenderer* renderer);

void CloseModuleRenderer(ModuleRenderer* renderer);

}  // namespace zelvik
