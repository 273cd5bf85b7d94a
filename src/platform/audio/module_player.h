// The module-music player: the show's small table of music calls, carried
// on libopenmpt for decoding and on an audio output back end (one file per
// back end behind audio_output.h) for the sound.
//
// The calls keep the outside names and C signatures the show uses. One
// audio output and at most one module at a time; every call is made from
// the main thread, while the output renders the module (on its own thread
// on the desktop). Each failure returns 0 and prints one line on stderr
// saying why.
//
// The same module set-up and rendering are offered for offline use, without
// any output: module_renderer.h.
#pragma once

#include <cstdint>

#include "platform/audio/module_renderer.h"

extern "C" {

// The player's version: zelvik::kPlayerVersion.
uint32_t BASSMOD_GetVersion();

// Opens audio output `device` (-1: the system's default output; 0, 1, ...:
// the output back end's devices in its order) at `frequency` Hz (8000 ...
// 192000; the show uses 22050 or 44100), 16-bit, stereo, or mono when
// `flags` holds zelvik::kPlayerMono. Non-zero on success; 0 when no output can be
// opened ("no audio output: <reason>") or when one is open already.
int BASSMOD_Init(int device, uint32_t frequency, uint32_t flags);

// Loads a module, replacing any loaded one; it waits, stopped, for
// BASSMOD_MusicPlay. With `mem` zero, `file` is a path and the module is
// read from `offset` on, `length` bytes (0: to the end of the file); with
// `mem` non-zero, `file` points to `offset` + `length` bytes in memory and
// the module is the `length` bytes from `offset`. `flags` combine the
// zelvik::kModule* bits (module_renderer.h). Any format libopenmpt reads
// is accepted.
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

// --- Beside the call table: what the show needs to keep picture and sound
// together. All of these are for the main thread, like the calls above.

struct AudioOutputBackend;  // audio_output.h

// The output back end BASSMOD_Init opens; the program picks its system's
// before the first call. nullptr: none (BASSMOD_Init then fails).
void UseAudioOutput(const AudioOutputBackend* output);

// How long after the player renders a sample it is heard, in milliseconds,
// as the output says. 0 when no output is open.
uint32_t PlayerLatencyMilliseconds();

// The module's position as heard at this moment, in seconds (negative while
// its first sample is still on its way): what has been rendered less what
// the output holds, as the system reports it; false where it cannot say.
// Takes a few milliseconds: for start-up, never per frame.
bool PlayerHeardSeconds(double* seconds);

// Where the output says what it holds: when the music is heard more than
// a frame behind `clockSeconds` (but less than a second), drops what it
// missed. A gap in the output (a busy machine kept it waiting) would put
// the music behind for good otherwise, and so would a replaced output
// that took a moment to start. False where the output cannot say. Cheap
// (no question to the system, only its last report brought up to now):
// fit to be called every second or so.
bool KeepPlayerAt(double clockSeconds);

// True once the open output has failed or been removed. Cheap: fit to be
// asked once per frame.
bool PlayerOutputLost();

// Replaces a lost output with the system's default one, with the same rate
// and channels. The loaded module goes on from `heardSeconds` as it is
// heard: rendering starts the output's latency further on (wrapped into the
// song's length for a looping song) and plays on if it was playing. False
// when no output could be opened: the module stays loaded, silent, and
// this may be tried again. Prints nothing.
bool ReopenPlayerOutput(double heardSeconds);

// True once `condition` holds; false when it still does not after
// `milliseconds`. Where the output plays only while the main thread is
// idle (a page), nothing can be waited for and this is true at once.
bool WaitForPlayer(bool (*condition)(), uint32_t milliseconds);

}  // namespace zelvik
