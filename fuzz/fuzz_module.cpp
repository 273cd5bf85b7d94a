// Fuzz target: the input is the music module. It goes through the player's
// load from memory (with the audio output open on SDL's dummy driver, as
// in the show) and, through a file path, the offline renderer that shares
// the player's module set-up, which renders a few thousand frames in the
// show's settings. The flags and the render settings are taken from the
// input's length, so that every setting is exercised without giving up
// any input byte.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz_input_file.h"
#include "platform/module_player.h"

using namespace zelvik;

namespace {

void Check(bool condition)
{
    if (!condition) std::abort();
}

constexpr size_t kFramesPerRead = 1024;
constexpr size_t kReads = 4;
int16_t Samples[2 * kFramesPerRead];

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (!BASSMOD_Init(-1, 22050, 0)) {
        std::fprintf(stderr, "fuzz_module: the dummy audio output does not open\n");
        std::abort();
    }
    std::atexit(BASSMOD_Free);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (BASSMOD_MusicLoad(1, data, 0, static_cast<uint32_t>(size), kShowModuleFlags)) BASSMOD_MusicFree();

    const uint32_t flags = (size & 1) ? kShowModuleFlags : 0;
    const bool mono = (size & 2) != 0;
    const uint32_t rate = (size & 4) ? 44100 : 22050;
    ModuleRenderer* renderer = OpenModuleRenderer(fuzzing::InputAsFile(data, size), rate, mono, flags);
    if (renderer == nullptr) return 0;
    for (size_t i = 0; i < kReads; ++i) {
        const size_t got = RenderModuleFrames(renderer, Samples, kFramesPerRead);
        Check(got <= kFramesPerRead);
        if (got < kFramesPerRead) break;
    }
    const double position = ModuleRendererPosition(renderer);
    Check(std::isfinite(position) && position >= 0.0);
    CloseModuleRenderer(renderer);
    return 0;
}
