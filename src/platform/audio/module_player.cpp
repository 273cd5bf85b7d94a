// The module-music player's call table on libopenmpt and an audio output
// back end.
//
// The output calls FillAudio whenever it needs samples; it renders the
// loaded module straight into the output's buffer, or silence. The main
// thread changes what the fill call sees (the module, whether it plays)
// only while holding the output's lock, which the output also holds around
// every fill call: the fill call itself never waits, allocates or frees.
// Loading (slow) and destroying a module happen outside the lock; only the
// pointer swap is inside.
#include "platform/audio/module_player.h"

#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio/module_decoder.h"
#include "platform/audio/module_player_testing.h"
#include "platform/audio/player_state.h"

namespace zelvik {

PlayerState Player;

namespace {

void FillAudio(void* tag, int16_t* out, size_t frames)
{
    const size_t channels = Player.mono ? 1 : 2;
    if (reinterpret_cast<uintptr_t>(tag) != Player.generation.load() || !Player.module || !Player.playing) {
        std::memset(out, 0, frames * channels * sizeof(int16_t));
        return;
    }
    if (RenderInto(Player.module, Player.rate, Player.mono, out, frames) < frames) {
        Player.playing = false;
        Player.ended = true;
        Player.active.store(false);
        return;
    }
    Player.renderedFrames += frames;
    Player.active.store(true);
}

// Puts `next` (or nothing) in the player's place, stopped, and returns the
// module it held. The swap happens under the output's lock so the fill call
// never sees half of it; the caller destroys the old module outside the
// lock, so the fill call is never kept waiting for that.
openmpt_module* ReplaceModule(openmpt_module* next)
{
    LockOutput();
    openmpt_module* previous = Player.module;
    Player.module = next;
    Player.playing = false;
    Player.ended = false;
    Player.active.store(false);
    Player.renderedFrom = 0.0;
    Player.renderedFrames = 0;
    UnlockOutput();
    return previous;
}

}  // namespace

uint32_t OpenPlayerOutput(const char* name)
{
    // At least 40 ms per buffer (46 ms at either of the show's rates):
    // short enough to keep the music with the picture, long enough not to
    // run dry on a busy machine. Outputs want a power of two.
    uint32_t frames = Player.wantedBufferFrames;
    if (frames == 0) {
        frames = 256;
        while (frames < static_cast<uint32_t>(Player.rate) / 25) frames *= 2;
    }
    const AudioOutputFormat format{Player.rate, Player.mono ? 1 : 2, frames};
    void* tag = reinterpret_cast<void*>(Player.generation.load());
    uint32_t obtained = 0;
    const uint32_t opened = Player.output->open(name, format, FillAudio, tag, &obtained);
    if (opened) Player.bufferFrames = obtained;
    return opened;
}

void LockOutput()
{
    if (Player.device) Player.output->lock(Player.device);
}

void UnlockOutput()
{
    if (Player.device) Player.output->unlock(Player.device);
}

void UseAudioOutput(const AudioOutputBackend* output)
{
    if (!Player.initialised) Player.output = output;
}

uint32_t PlayerLatencyMilliseconds()
{
    if (!Player.device || Player.rate <= 0) return 0;
    const uint64_t frames = Player.output->latencyFrames(Player.device, Player.bufferFrames);
    return static_cast<uint32_t>((frames * 1000 + static_cast<uint64_t>(Player.rate) / 2) /
                                 static_cast<uint64_t>(Player.rate));
}

// What the fill call has rendered less what the output still holds, both
// read under the output's lock, so that no fill call comes between them.
// The system's account of what it holds is interpolated between its
// reports: five readings a millisecond or more apart, each taken back to
// the first one's time, and the middle one counts. A stream's first report
// may take a moment to come: a tenth of a second is waited for it.
bool PlayerHeardSeconds(double* seconds)
{
    if (!Player.device || !Player.module || Player.output->queuedMicroseconds == nullptr) return false;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point origin = Clock::now();
    constexpr int kReadings = 5;
    double heard[kReadings];
    int taken = 0;
    for (int attempt = 0; attempt < 100 && taken < kReadings; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        uint64_t microseconds = 0;
        LockOutput();
        const bool known = Player.output->queuedMicroseconds(Player.device, &microseconds);
        const double rendered = RenderedSeconds();
        UnlockOutput();
        if (known)
            heard[taken++] = rendered - static_cast<double>(microseconds) * 1e-6 -
                             std::chrono::duration<double>(Clock::now() - origin).count();
    }
    if (taken < kReadings) return false;
    std::sort(heard, heard + kReadings);
    *seconds = heard[kReadings / 2] + std::chrono::duration<double>(Clock::now() - origin).count();
    return true;
}

double RenderedSeconds()
{
    return Player.rate > 0 ? Player.renderedFrom + static_cast<double>(Player.renderedFrames) / Player.rate : 0.0;
}

void DropFrames(uint64_t frames)
{
    int16_t dropped[2 * 1024];
    while (frames > 0 && Player.module != nullptr) {
        const size_t count = frames < 1024 ? static_cast<size_t>(frames) : 1024;
        if (RenderInto(Player.module, Player.rate, Player.mono, dropped, count) < count) return;
        Player.renderedFrames += count;
        frames -= count;
    }
}

bool WaitForPlayer(bool (*condition)(), uint32_t milliseconds)
{
    return Player.output ? Player.output->waitFor(condition, milliseconds) : condition();
}

void SetPlayerBufferFrames(uint32_t frames)
{
    Player.wantedBufferFrames = frames;
}

uint32_t PlayerBufferFrames()
{
    return Player.device ? Player.bufferFrames : 0;
}

uint32_t PlayerOutputDevice()
{
    return Player.device;
}

double PlayerModulePosition()
{
    if (!Player.initialised) return 0.0;
    LockOutput();
    const double seconds = Player.module ? openmpt_module_get_position_seconds(Player.module) : 0.0;
    UnlockOutput();
    return seconds;
}

}  // namespace zelvik

using zelvik::Complain;
using zelvik::LockOutput;
using zelvik::Player;
using zelvik::UnlockOutput;

extern "C" {

uint32_t BASSMOD_GetVersion()
{
    return zelvik::kPlayerVersion;
}

int BASSMOD_Init(int device, uint32_t frequency, uint32_t flags)
{
    const char* kSource = "no audio output";
    if (Player.initialised) {
        Complain(kSource, "the player's output is open already");
        return 0;
    }
    if (frequency < zelvik::kLowestModuleRate || frequency > zelvik::kHighestModuleRate) {
        Complain(kSource, "unsupported rate " + std::to_string(frequency) + " Hz");
        return 0;
    }
    const zelvik::AudioOutputBackend* output = Player.output;
    if (output == nullptr) {
        Complain(kSource, "no output back end was chosen");
        return 0;
    }
    if (!output->startUp()) {
        Complain(kSource, output->error());
        return 0;
    }
    const char* name = nullptr;  // the system's default output
    if (device != -1) {
        name = device >= 0 ? output->outputName(device) : nullptr;
        if (name == nullptr) {
            Complain(kSource, "there is no output device " + std::to_string(device));
            output->shutDown();
            return 0;
        }
    }

    Player.rate = static_cast<int32_t>(frequency);
    Player.mono = (flags & zelvik::kPlayerMono) != 0;
    const uint32_t opened = zelvik::OpenPlayerOutput(name);
    if (opened == 0) {
        Complain(kSource, output->error());
        output->shutDown();
        Player.rate = 0;
        Player.mono = false;
        return 0;
    }
    Player.device = opened;
    Player.initialised = true;
    output->start(opened);  // silence until a module plays
    return 1;
}

int BASSMOD_MusicLoad(int mem, const void* file, uint32_t offset, uint32_t length, uint32_t flags)
{
    const std::string source = mem ? std::string("module in memory")
                                   : std::string(file ? static_cast<const char*>(file) : "(no file name)");
    if (!file) {
        Complain(source, "nothing to load");
        return 0;
    }
    if (!Player.initialised) {
        Complain(source, "the player has no audio output open");
        return 0;
    }

    openmpt_module* module = nullptr;
    if (mem) {
        if (length == 0) {
            Complain(source, "not a module file (empty)");
            return 0;
        }
        module = zelvik::CreateModule(static_cast<const uint8_t*>(file) + offset, length, source, flags);
    } else {
        std::vector<uint8_t> data;
        if (!zelvik::ReadModuleFile(static_cast<const char*>(file), offset, length, &data)) return 0;
        module = zelvik::CreateModule(data.data(), data.size(), source, flags);
    }
    if (!module) return 0;

    if (openmpt_module* previous = zelvik::ReplaceModule(module)) openmpt_module_destroy(previous);
    return 1;
}

int BASSMOD_MusicPlay()
{
    if (!Player.initialised) {
        Complain("music", "the player has no audio output open");
        return 0;
    }
    LockOutput();
    const bool loaded = Player.module != nullptr;
    if (loaded) {
        if (Player.ended) {
            openmpt_module_set_position_seconds(Player.module, 0.0);
            Player.renderedFrom = 0.0;
            Player.renderedFrames = 0;
        }
        Player.ended = false;
        Player.playing = true;
    }
    UnlockOutput();
    if (!loaded) Complain("music", "no module is loaded");
    return loaded ? 1 : 0;
}

int BASSMOD_MusicIsActive()
{
    return Player.active.load() ? 1 : 0;
}

void BASSMOD_MusicFree()
{
    if (!Player.initialised) return;
    if (openmpt_module* module = zelvik::ReplaceModule(nullptr)) openmpt_module_destroy(module);
}

void BASSMOD_Free()
{
    if (!Player.initialised) return;
    BASSMOD_MusicFree();
    const zelvik::AudioOutputBackend* output = Player.output;
    if (Player.device) output->close(Player.device);  // waits for a running fill call
    for (uint32_t& retired : Player.retired) {
        if (retired) output->close(retired);
        retired = 0;
    }
    output->shutDown();
    Player.device = 0;
    Player.initialised = false;
    Player.rate = 0;
    Player.mono = false;
    Player.bufferFrames = 0;
}

}  // extern "C"
