// The audio output under the module player: one back end per file, behind
// this small table, as the display's back ends are. The player
// (module_player.cpp) keeps the module and what the fill call sees; a back
// end opens, starts, locks and closes outputs, says how late a sample is
// heard and when an output is lost, and says whether the main thread can
// wait for its output at all. The program picks the back end of its system
// with UseAudioOutput (module_player.h) before BASSMOD_Init.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zelvik {

struct AudioOutputFormat {
    int32_t rate;           // frames a second
    int32_t channels;       // 1 or 2
    uint32_t bufferFrames;  // frames per buffer to ask for (a power of two)
};

// Fills `frames` frames of 16-bit samples at `out`, channels interleaved,
// for the output opened with `tag`. Called from the output's own thread
// (in a page: between the page's frames) and never while the output is
// locked; it must not wait, allocate or free.
using AudioFill = void (*)(void* tag, int16_t* out, size_t frames);

struct AudioOutputBackend {
    const char* name;
    // Starts the back end's audio side; false with error() saying why.
    bool (*startUp)();
    // Ends it, after every output has been closed.
    void (*shutDown)();
    // The name of output `index` (0, 1, ...) in the system's order;
    // nullptr where there is no such output.
    const char* (*outputName)(int32_t index);
    // Opens output `name` (nullptr: the system's default), silent until
    // start(); an id other than 0, with the frames per buffer it took in
    // `*bufferFrames`. 0 on failure, with error() saying why. Outputs
    // opened earlier stay open.
    uint32_t (*open)(const char* name, const AudioOutputFormat& format, AudioFill fill, void* tag,
                     uint32_t* bufferFrames);
    void (*start)(uint32_t output);
    // Keeps the fill call out while the main thread changes what it reads.
    void (*lock)(uint32_t output);
    void (*unlock)(uint32_t output);
    // Closes the output; waits for a fill call that is running.
    void (*close)(uint32_t output);
    // True once the output has failed or been removed. Cheap: asked once
    // per frame.
    bool (*lost)(uint32_t output);
    // Frames between the fill of a sample and the moment it is heard, for
    // an output that took `bufferFrames` frames per buffer.
    uint32_t (*latencyFrames)(uint32_t output, uint32_t bufferFrames);
    // Microseconds until the newest sample the fill call rendered is heard,
    // as the system reports it now; false where it cannot say. Called with
    // the output locked. nullptr for a back end that never can.
    bool (*queuedMicroseconds)(uint32_t output, uint64_t* microseconds);
    // Why the last call failed.
    const char* (*error)();
    // True once `condition` holds; false when it still does not after
    // `milliseconds`. An output that plays only when the main thread is
    // idle (a page's) cannot be waited for: it answers true at once.
    bool (*waitFor)(bool (*condition)(), uint32_t milliseconds);
};

// The back ends, one file each; a build compiles those of its system (the
// platform table in src/CMakeLists.txt).
extern const AudioOutputBackend SdlAudioOutput;  // output_sdl.cpp: SDL's audio thread
// output_pulse_linux.cpp: a Linux desktop's sound server (PulseAudio, or PipeWire
// through its PulseAudio server) spoken to directly, else SDL's output.
extern const AudioOutputBackend DesktopAudioOutput;
extern const AudioOutputBackend WebAudioOutput;  // output_web.cpp: a page's Web Audio

}  // namespace zelvik
