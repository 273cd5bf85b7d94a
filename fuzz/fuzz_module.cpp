// Fuzz target: the input is the music module. It is loaded as the player
// loads modules from memory, and through a file path by the offline
// renderer (which shares the player's module checks and set-up), which
// renders a few thousand frames in the show's settings. The flags and
// the render settings are taken from the input's length, so that every
// setting is exercised without giving up any input byte.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "fuzz_input_file.h"
#include "platform/audio/module_renderer.h"

using namespace zelvik;

namespace {

void Check(bool condition)
{
    if (!condition) std::abort();
}

constexpr size_t kFramesPerRead = 1024;
constexpr size_t kReads = 4;
int16_t Samples[2 * kFramesPerRead];

void Render(ModuleRenderer* renderer)
{
    if (renderer == nullptr) return;
    for (size_t i = 0; i < kReads; ++i) {
        const size_t got = RenderModuleFrames(renderer, Samples, kFramesPerRead);
        Check(got <= kFramesPerRead);
        if (got < kFramesPerRead) break;
    }
    const double position = ModuleRendererPosition(renderer);
    Check(std::isfinite(position) && position >= 0.0);
    CloseModuleRenderer(renderer);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const uint32_t flags = (size & 1) ? kShowModuleFlags : 0;
    const bool mono = (size & 2) != 0;
    const uint32_t rate = (size & 4) ? 44100 : 22050;
    CloseModuleRenderer(OpenModuleRendererFromMemory(data, size, rate, mono, kShowModuleFlags));
    Render(OpenModuleRenderer(fuzzing::InputAsFile(data, size), rate, mono, flags));
    return 0;
}
