// The module-music player: the show's small table of music calls, carried
// on libopenmpt for decoding and SDL2 for the audio output.
//
// The calls keep the outside names and C signatures the show uses. One
// audio output and at most one module at a time; every call is made from
// the main thread, while SDL's audio thread renders the module. Each
// failure returns 0 and prints one line on stderr saying why.
//
// The same module set-up and rendering are offered for offline use (the
// capture tool, tests): OpenModuleRenderer and friends below give exactly
// the samples the live player would send to the output.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

// The player's version: zelvik::kPlayerVersion.
uint32_t BASSMOD_GetVersion();

// Opens audio output `device` (-1: the system's default output; 0, 1, ...:
// SDL's output devices in its order) at `frequency` Hz (8000 ... 192000;
// the show uses 22050 or 44100), 16-bit, stereo, or mono when `flags`
// holds zelvik::kPlayerMono. Non-zero on success; 0 when no output can be
// opened ("no audio output: <reason>") or when one is open already.
int BASSMOD_Init(int device, uint32_t frequency, uint32_t flags);

// Loads a module, replacing any loaded one; it waits, stopped, for
// BASSMOD_MusicPlay. With `mem` zero, `file` is a path and the module is
// read from `offset` on, `length` bytes (0: to the end of the file); with
// `mem` non-zero, `file` points to `offset` + `length` bytes in memory and
// the module is the `length` bytes from `offset`. `flags` combine the
// zelvik::kModule* bits below. Any format libopenmpt reads is accepted.
// Non-zero on success; 0 when the output is not open, the file is missing,
// unreadable, a folder, not a module, damaged or cut short.
int BASSMOD_MusicLoad(int mem, const void* file, uint32_t offset, uint32_t length, uint32_t flags);

// Starts (or resumes) playing the loaded module; a module that has played
// to its end starts again from the beginning. Non-zero on success; 0 when
// no module is loaded.
int BASSMOD_MusicPlay();

// Non-zero while the loaded module is playing: from the moment the audio
// output has started rendering it after BASSMOD_MusicPlay, until it is
// freed or (without kModuleLoop) has played to its end.
int BASSMOD_MusicIsActive();

// Stops and frees the loaded module; harmless when none is loaded.
void BASSMOD_MusicFree();

// Frees the module and closes the audio output; harmless when not open.
void BASSMOD_Free();

}  // extern "C"

namespace zelvik {

// The one player version there is, and the one the show accepts.
constexpr uint32_t kPlayerVersion = 0x00070000;

// Flag of BASSMOD_Init: one output channel carrying a true mono mix.
constexpr uint32_t kPlayerMono = 0x2;

// Flags of BASSMOD_MusicLoad.
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

// Offline rendering with the live player's set-up.
struct ModuleRenderer;

// Loads the module at `path` for rendering at `rate` Hz, stereo or mono,
// with `flags` as for BASSMOD_MusicLoad. nullptr on failure, with the same
// one-line messages as BASSMOD_MusicLoad.
ModuleRenderer* OpenModuleRenderer(const char* path, uint32_t rate, bool mono,
                                   uint32_t flags = kShowModuleFlags);

// Renders the next `frames` frames into `out` (interleaved left/right when
// stereo, so 2 * frames values; frames values when mono). Returns the
// number of frames rendered: `frames`, fewer only when a module that does
// not loop has ended (the rest of `out` is then set to silence).
size_t RenderModuleFrames(ModuleRenderer* renderer, int16_t* out, size_t frames);

// Seconds of music rendered so far (every pass of a loop counts).
double ModuleRendererPosition(const ModuleRenderer* renderer);

void CloseModuleRenderer(ModuleRenderer* renderer);

// --- Beside the call table: what the show needs to keep picture and sound
// together. All of these are for the main thread, like the calls above.

// Frames per output buffer to ask for when BASSMOD_Init next opens the
// output (a power of two, 256 ... 32768); 0 for the default, which is the
// smallest power of two of at least 40 ms. For tests and tuning.
void SetPlayerBufferFrames(uint32_t frames);

// Frames per buffer of the open output; 0 when none is open.
uint32_t PlayerBufferFrames();

// How long after the player renders a sample it is heard, in milliseconds:
// one output buffer. 0 when no output is open.
uint32_t PlayerLatencyMilliseconds();

// SDL's id of the open output; 0 when none is open.
uint32_t PlayerOutputDevice();

// True once the open output has failed or been removed (SDL's
// device-removed event for it, or its status stopped). Cheap: fit to be
// asked once per frame.
bool PlayerOutputLost();

// Where the loaded module's rendering has got to, in seconds; 0 when none.
double PlayerModulePosition();

// Replaces a lost output with the system's default one, with the same rate
// and channels. The loaded module goes on from `heardSeconds` as it is
// heard: rendering starts the output's latency further on (wrapped into the
// song's length for a looping song) and plays on if it was playing. False
// when no output could be opened: the module stays loaded, silent, and
// this may be tried again. Prints nothing.
bool ReopenPlayerOutput(double heardSeconds);

}  // namespace zelvik
