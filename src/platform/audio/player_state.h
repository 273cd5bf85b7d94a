// The live player's state, shared by the call table (module_player.cpp) and
// the recovery of a lost output (output_recovery.cpp). Private to the audio
// layer.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/audio/audio_output.h"

struct openmpt_module;  // libopenmpt's

namespace zelvik {

struct PlayerState {
    // The back end outputs are opened with (UseAudioOutput).
    const AudioOutputBackend* output = nullptr;
    // Between a successful BASSMOD_Init and BASSMOD_Free.
    bool initialised = false;
    // The output; 0 only after one was lost and none could be opened since.
    uint32_t device = 0;
    // Outputs that failed and were replaced, kept open (their fill calls
    // only write silence) until BASSMOD_Free: closing one waits for its
    // thread, some 50-200 ms, which would hold up the picture. Only when
    // all slots are taken is the oldest closed at once.
    uint32_t retired[4] = {};
    int32_t rate = 0;
    bool mono = false;
    // Frames per buffer the output was opened with.
    uint32_t bufferFrames = 0;
    // Frames per buffer to ask for; 0 for the default.
    uint32_t wantedBufferFrames = 0;
    // Shared with the fill call; changed only under the output's lock.
    openmpt_module* module = nullptr;
    bool playing = false;
    bool ended = false;
    // Set by the fill call once it renders the playing module, cleared when
    // the module ends or is freed; read without the lock.
    std::atomic<bool> active{false};
    // Where the module was last set going (seconds) and the frames the
    // fill call has rendered of it since: the music's position to the
    // sample, which libopenmpt gives only to its tick. Under the lock.
    double renderedFrom = 0.0;
    uint64_t renderedFrames = 0;
    // Which output may render the module: each output's fill call is handed
    // the generation it was opened in and renders silence once the number
    // has moved on. Changed under the old output's lock.
    std::atomic<uintptr_t> generation{0};
};

extern PlayerState Player;

// Opens the output `name` (nullptr: the default) with the player's rate,
// channels and buffer size, silent until started, its fill call tied to
// the current generation. 0 on failure, with the back end's reason in its
// error().
uint32_t OpenPlayerOutput(const char* name);

// The module's position to the sample: renderedFrom and renderedFrames.
double RenderedSeconds();

// Renders and drops `frames` frames of the module (under the lock or with
// no fill call running), counting them as rendered.
void DropFrames(uint64_t frames);

// The output's lock around changes the fill call must not see half done;
// without an output there is no fill call to keep out.
void LockOutput();
void UnlockOutput();

}  // namespace zelvik
