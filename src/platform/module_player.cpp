// The module-music player on libopenmpt and SDL2 audio.
//
// SDL's audio thread calls FillAudio whenever the output needs samples; it
// renders the loaded module straight into SDL's buffer, or silence. The
// main thread changes what the callback sees (the module, whether it plays)
// only while holding SDL's device lock, which SDL also holds around every
// callback: the callback itself never waits, allocates or frees. Loading
// (slow) and destroying a module happen outside the lock; only the pointer
// swap is inside.
#include "platform/module_player.h"

#include <SDL.h>
#include <fcntl.h>
#include <libopenmpt/libopenmpt.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "driver/report.h"

namespace zelvik {

namespace {

constexpr uint32_t kLowestRate = 8000;
constexpr uint32_t kHighestRate = 192000;
// No module worth playing comes near this; a larger file is refused rather
// than read into memory whole.
constexpr uint64_t kLargestModule = 128u << 20;

// ---------------------------------------------------------------------------
// Module set-up and rendering, shared by the live player and the offline
// renderer.

void Complain(const std::string& source, const std::string& why)
{
    Report("%s: %s", source.c_str(), why.c_str());
}

// Reads the module bytes of `path`: `length` bytes from `offset`, or all
// from `offset` on when `length` is 0.
bool ReadModuleFile(const char* path, uint32_t offset, uint32_t length, std::vector<uint8_t>* data)
{
    struct stat info;
    if (stat(path, &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) Complain(path, "not found");
        else Complain(path, std::string("cannot be read: ") + std::strerror(errno));
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        Complain(path, "is a folder");
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        Complain(path, "not a regular file");
        return false;
    }
    const uint64_t size = static_cast<uint64_t>(info.st_size);
    if (offset > size) {
        Complain(path, "offset " + std::to_string(offset) + " is past the end of the file (" +
                           std::to_string(size) + " bytes)");
        return false;
    }
    const uint64_t wanted = length ? length : size - offset;
    if (offset + wanted > size) {
        Complain(path, "the file ends before offset + length (" + std::to_string(size) + " bytes)");
        return false;
    }
    if (wanted > kLargestModule) {
        Complain(path, "too large for a module file");
        return false;
    }

    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        Complain(path, std::string("cannot be read: ") + std::strerror(errno));
        return false;
    }
    data->resize(static_cast<size_t>(wanted));
    size_t done = 0;
    while (done < data->size()) {
        const ssize_t got = pread(fd, data->data() + done, data->size() - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            Complain(path, got < 0 ? std::string("read failed: ") + std::strerror(errno)
                                   : std::string("the file shrank while it was read"));
            close(fd);
            return false;
        }
        done += static_cast<size_t>(got);
    }
    close(fd);
    return true;
}

uint32_t Read16(const uint8_t* p)
{
    return p[0] | (p[1] << 8);
}

uint32_t Read32(const uint8_t* p)
{
    return Read16(p) | (Read16(p + 2) << 16);
}

// An XM file declares the size of every part: header, patterns,
// instruments and sample data. libopenmpt plays a cut-off XM without
// complaint, silently losing whatever is missing, so the player walks that
// layout itself and refuses a file that ends early. Only the common layout
// of version 0x0104 is checked; anything it cannot follow is left to
// libopenmpt.
bool IsCutShortXm(const uint8_t* data, size_t size)
{
    if (size < 80 || std::memcmp(data, "Extended Module: ", 17) != 0) return false;
    if (Read16(data + 58) != 0x0104) return false;
    uint64_t pos = 60 + static_cast<uint64_t>(Read32(data + 60));
    if (pos > size) return true;
    const uint32_t patterns = Read16(data + 70);
    const uint32_t instruments = Read16(data + 72);
    for (uint32_t p = 0; p < patterns; ++p) {
        if (pos + 9 > size) return true;
        const uint32_t headerLength = Read32(data + pos);
        if (headerLength < 9) return false;
        pos += headerLength + static_cast<uint64_t>(Read16(data + pos + 7));
        if (pos > size) return true;
    }
    for (uint32_t i = 0; i < instruments; ++i) {
        if (pos + 29 > size) return true;
        const uint32_t headerSize = Read32(data + pos);
        const uint32_t samples = Read16(data + pos + 27);
        if (headerSize < 29) return false;
        if (samples == 0) {
            pos += headerSize;
            if (pos > size) return true;
            continue;
        }
        if (pos + 33 > size) return true;
        uint32_t sampleHeaderSize = Read32(data + pos + 29);
        if (sampleHeaderSize == 0) sampleHeaderSize = 40;
        if (sampleHeaderSize < 18 || samples > 256) return false;
        pos += headerSize;
        uint64_t sampleBytes = 0;
        for (uint32_t s = 0; s < samples; ++s) {
            if (pos + sampleHeaderSize > size) return true;
            const uint32_t length = Read32(data + pos);
            const bool sixteenBit = (data[pos + 14] & 0x10) != 0;
            const bool packed = data[pos + 17] == 0xAD && !sixteenBit;  // 4-bit ADPCM
            sampleBytes += packed ? 16 + (static_cast<uint64_t>(length) + 1) / 2 : length;
            pos += sampleHeaderSize;
        }
        pos += sampleBytes;
        if (pos > size) return true;
    }
    return false;
}

// Turns module bytes into a libopenmpt module set up as `flags` say.
// `source` names the bytes in messages.
openmpt_module* CreateModule(const uint8_t* data, size_t size, const std::string& source, uint32_t flags)
{
    if (size == 0) {
        Complain(source, "not a module file (empty)");
        return nullptr;
    }
    if (IsCutShortXm(data, size)) {
        Complain(source, "module file is cut short");
        return nullptr;
    }
    const int probe = openmpt_probe_file_header(OPENMPT_PROBE_FILE_HEADER_FLAGS_DEFAULT, data, size, size,
                                                openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
                                                nullptr, nullptr, nullptr);
    if (probe != OPENMPT_PROBE_FILE_HEADER_RESULT_SUCCESS) {
        Complain(source, "not a module file");
        return nullptr;
    }
    int error = 0;
    const char* message = nullptr;
    openmpt_module* module = openmpt_module_create_from_memory2(data, size, openmpt_log_func_silent, nullptr,
                                                                openmpt_error_func_store, nullptr, &error,
                                                                &message, nullptr);
    if (!module) {
        Complain(source, std::string("damaged module file") + (message && *message ? std::string(" (") + message + ")" : ""));
        openmpt_free_string(message);
        return nullptr;
    }
    openmpt_free_string(message);

    openmpt_module_set_repeat_count(module, (flags & kModuleLoop) ? -1 : 0);
    // -1 is the library's recommended ramp; 0 switches ramping off.
    openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH,
                                    (flags & kModuleRamp) ? -1 : 0);
    openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH,
                                    (flags & kModuleSinc) ? 8 : 4);
    // No dither: the same module renders to the same samples every time.
    openmpt_module_ctl_set_integer(module, "dither", 0);
    return module;
}

// Renders up to `frames` frames; the rest of `out` is set to silence.
// Returns the number rendered, fewer than `frames` only at the end of a
// module that does not loop.
size_t RenderInto(openmpt_module* module, int32_t rate, bool mono, int16_t* out, size_t frames)
{
    size_t done = 0;
    while (done < frames) {
        const size_t got = mono ? openmpt_module_read_mono(module, rate, frames - done, out + done)
                                : openmpt_module_read_interleaved_stereo(module, rate, frames - done, out + 2 * done);
        if (got == 0) break;
        done += got;
    }
    const size_t channels = mono ? 1 : 2;
    std::memset(out + channels * done, 0, (frames - done) * channels * sizeof(int16_t));
    return done;
}

// ---------------------------------------------------------------------------
// The live player.

struct PlayerState {
    // Between a successful BASSMOD_Init and BASSMOD_Free.
    bool initialised = false;
    // The output; 0 only after one was lost and none could be opened since.
    SDL_AudioDeviceID device = 0;
    // Outputs that failed and were replaced, kept open (their callbacks
    // only write silence) until BASSMOD_Free: closing one waits for its
    // thread, some 50-200 ms, which would hold up the picture. Only when
    // all slots are taken is the oldest closed at once.
    SDL_AudioDeviceID retired[4] = {};
    int32_t rate = 0;
    bool mono = false;
    // Frames per callback buffer the output was opened with.
    uint32_t bufferFrames = 0;
    // Frames per buffer to ask for; 0 for the default.
    uint32_t wantedBufferFrames = 0;
    // Shared with the callback; changed only under the device lock.
    openmpt_module* module = nullptr;
    bool playing = false;
    bool ended = false;
    // Set by the callback once it renders the playing module, cleared when
    // the module ends or is freed; read without the lock.
    std::atomic<bool> active{false};
    // Which output may render the module: each output's callback is handed
    // the generation it was opened in and renders silence once the number
    // has moved on. Changed under the old output's lock.
    std::atomic<uintptr_t> generation{0};
    // The last output SDL reported removed, noted by the event watch on
    // whatever thread reports it; compared with `device` on the main thread.
    std::atomic<uint32_t> removed{0};
};

PlayerState Player;

void FillAudio(void* userdata, Uint8* stream, int bytes)
{
    int16_t* out = reinterpret_cast<int16_t*>(stream);
    const size_t frames = static_cast<size_t>(bytes) / (sizeof(int16_t) * (Player.mono ? 1 : 2));
    if (reinterpret_cast<uintptr_t>(userdata) != Player.generation.load() || !Player.module || !Player.playing) {
        std::memset(stream, 0, static_cast<size_t>(bytes));
        return;
    }
    if (RenderInto(Player.module, Player.rate, Player.mono, out, frames) < frames) {
        Player.playing = false;
        Player.ended = true;
        Player.active.store(false);
        return;
    }
    Player.active.store(true);
}

// SDL reports a failed or unplugged output with an event, sent from the
// audio thread; the watch only notes it, the main thread acts on it.
int WatchForRemovedOutput(void*, SDL_Event* event)
{
    if (event->type == SDL_AUDIODEVICEREMOVED && !event->adevice.iscapture) {
        Player.removed.store(event->adevice.which);
    }
    return 1;
}

// Opens the output `name` (nullptr: the default) with the player's rate,
// channels and buffer size, paused, its callback tied to the current
// generation. 0 on failure, with SDL's reason left in SDL_GetError.
SDL_AudioDeviceID OpenOutput(const char* name)
{
    SDL_AudioSpec wanted;
    SDL_zero(wanted);
    wanted.freq = Player.rate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = Player.mono ? 1 : 2;
    // At least 40 ms per buffer (46 ms at either of the show's rates):
    // short enough to keep the music with the picture, long enough not to
    // run dry on a busy machine. SDL wants a power of two.
    if (Player.wantedBufferFrames) {
        wanted.samples = static_cast<Uint16>(Player.wantedBufferFrames);
    } else {
        wanted.samples = 256;
        while (wanted.samples < Player.rate / 25) wanted.samples *= 2;
    }
    wanted.callback = FillAudio;
    wanted.userdata = reinterpret_cast<void*>(Player.generation.load());
    SDL_AudioSpec obtained;
    // No changes allowed: SDL converts to whatever the hardware wants, so
    // the callback always sees the format asked for.
    const SDL_AudioDeviceID opened = SDL_OpenAudioDevice(name, 0, &wanted, &obtained, 0);
    if (opened) Player.bufferFrames = obtained.samples;
    return opened;
}

// The device lock around changes the callback must not see half done;
// without an output there is no callback to keep out.
void LockOutput()
{
    if (Player.device) SDL_LockAudioDevice(Player.device);
}

void UnlockOutput()
{
    if (Player.device) SDL_UnlockAudioDevice(Player.device);
}

}  // namespace

struct ModuleRenderer {
    openmpt_module* module;
    int32_t rate;
    bool mono;
};

ModuleRenderer* OpenModuleRenderer(const char* path, uint32_t rate, bool mono, uint32_t flags)
{
    if (rate < kLowestRate || rate > kHighestRate) {
        Complain(path, "cannot render at " + std::to_string(rate) + " Hz");
        return nullptr;
    }
    std::vector<uint8_t> data;
    if (!ReadModuleFile(path, 0, 0, &data)) return nullptr;
    openmpt_module* module = CreateModule(data.data(), data.size(), path, flags);
    if (!module) return nullptr;
    return new ModuleRenderer{module, static_cast<int32_t>(rate), mono};
}

size_t RenderModuleFrames(ModuleRenderer* renderer, int16_t* out, size_t frames)
{
    return RenderInto(renderer->module, renderer->rate, renderer->mono, out, frames);
}

double ModuleRendererPosition(const ModuleRenderer* renderer)
{
    return openmpt_module_get_position_seconds(renderer->module);
}

void CloseModuleRenderer(ModuleRenderer* renderer)
{
    if (!renderer) return;
    openmpt_module_destroy(renderer->module);
    delete renderer;
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
    if (frequency < zelvik::kLowestRate || frequency > zelvik::kHighestRate) {
        Complain(kSource, "unsupported rate " + std::to_string(frequency) + " Hz");
        return 0;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        Complain(kSource, SDL_GetError());
        return 0;
    }
    const char* name = nullptr;  // SDL's default output
    if (device != -1) {
        const int count = SDL_GetNumAudioDevices(0);
        if (device < 0 || device >= count) {
            Complain(kSource, "there is no output device " + std::to_string(device));
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return 0;
        }
        name = SDL_GetAudioDeviceName(device, 0);
    }

    Player.rate = static_cast<int32_t>(frequency);
    Player.mono = (flags & zelvik::kPlayerMono) != 0;
    // SDL hands out the ids of closed outputs again.
    Player.removed.store(0);
    const SDL_AudioDeviceID opened = zelvik::OpenOutput(name);
    if (opened == 0) {
        Complain(kSource, SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        Player.rate = 0;
        Player.mono = false;
        return 0;
    }
    Player.device = opened;
    Player.initialised = true;
    SDL_AddEventWatch(zelvik::WatchForRemovedOutput, nullptr);
    SDL_PauseAudioDevice(opened, 0);  // silence until a module plays
    return 1;
}

// Puts `next` (or nothing) in the player's place, stopped, and returns the
// module it held. The swap happens under the device lock so the callback
// never sees half of it; the caller destroys the old module outside the
// lock, so the callback is never kept waiting for that.
static openmpt_module* ReplaceModule(openmpt_module* next)
{
    LockOutput();
    openmpt_module* previous = Player.module;
    Player.module = next;
    Player.playing = false;
    Player.ended = false;
    Player.active.store(false);
    UnlockOutput();
    return previous;
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

    if (openmpt_module* previous = ReplaceModule(module)) openmpt_module_destroy(previous);
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
        if (Player.ended) openmpt_module_set_position_seconds(Player.module, 0.0);
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
    if (openmpt_module* module = ReplaceModule(nullptr)) openmpt_module_destroy(module);
}

void BASSMOD_Free()
{
    if (!Player.initialised) return;
    BASSMOD_MusicFree();
    SDL_DelEventWatch(zelvik::WatchForRemovedOutput, nullptr);
    if (Player.device) SDL_CloseAudioDevice(Player.device);  // waits for a running callback
    for (SDL_AudioDeviceID& retired : Player.retired) {
        if (retired) SDL_CloseAudioDevice(retired);
        retired = 0;
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    Player.device = 0;
    Player.initialised = false;
    Player.rate = 0;
    Player.mono = false;
    Player.bufferFrames = 0;
}

}  // extern "C"

// ---------------------------------------------------------------------------
// What the show needs beside the call table: the output's latency, and
// carrying on when the output is lost.

namespace zelvik {

void SetPlayerBufferFrames(uint32_t frames)
{
    Player.wantedBufferFrames = frames;
}

uint32_t PlayerBufferFrames()
{
    return Player.device ? Player.bufferFrames : 0;
}

uint32_t PlayerLatencyMilliseconds()
{
    // SDL 2 reports nothing about latency beyond the buffer it opened: a
    // buffer the callback fills is heard once the one before it has played.
    if (!Player.device || Player.rate <= 0) return 0;
    const uint64_t frames = Player.bufferFrames;
    return static_cast<uint32_t>((frames * 1000 + static_cast<uint64_t>(Player.rate) / 2) /
                                 static_cast<uint64_t>(Player.rate));
}

uint32_t PlayerOutputDevice()
{
    return Player.device;
}

bool PlayerOutputLost()
{
    if (!Player.initialised) return false;
    if (!Player.device) return true;
    return Player.removed.load() == Player.device || SDL_GetAudioDeviceStatus(Player.device) == SDL_AUDIO_STOPPED;
}

double PlayerModulePosition()
{
    if (!Player.initialised) return 0.0;
    LockOutput();
    const double seconds = Player.module ? openmpt_module_get_position_seconds(Player.module) : 0.0;
    UnlockOutput();
    return seconds;
}

bool ReopenPlayerOutput(double heardSeconds)
{
    if (!Player.initialised) return false;
    // From here on the failed output renders silence: the module belongs
    // to whichever output is opened next.
    LockOutput();
    Player.generation.fetch_add(1);
    UnlockOutput();

    // The new output may get the id of one closed earlier.
    Player.removed.store(0);
    SDL_AudioDeviceID opened = OpenOutput(nullptr);
    if (!opened && Player.device) {
        // Some drivers open one output at a time: the failed one has to go
        // first, even though closing it waits for its thread.
        SDL_CloseAudioDevice(Player.device);
        Player.device = 0;
        opened = OpenOutput(nullptr);
    }
    if (!opened) return false;
    constexpr size_t kSlots = sizeof(Player.retired) / sizeof(Player.retired[0]);
    if (Player.device) {
        if (Player.retired[kSlots - 1]) SDL_CloseAudioDevice(Player.retired[kSlots - 1]);
        for (size_t i = kSlots - 1; i > 0; --i) Player.retired[i] = Player.retired[i - 1];
        Player.retired[0] = Player.device;
    }
    Player.device = opened;

    // The new output has not started yet; what it renders first is heard
    // one buffer later, so it starts that far ahead.
    if (Player.module) {
        double seconds = heardSeconds + PlayerLatencyMilliseconds() / 1000.0;
        const double length = openmpt_module_get_duration_seconds(Player.module);
        // A looping song is heard round and round: wrap into its length.
        if (length > 0.0 && seconds >= length && openmpt_module_get_repeat_count(Player.module) != 0) {
            seconds = std::fmod(seconds, length);
        }
        if (seconds < 0.0) seconds = 0.0;
        openmpt_module_set_position_seconds(Player.module, seconds);
        Player.ended = false;
    }
    SDL_PauseAudioDevice(opened, 0);
    return true;
}

}  // namespace zelvik
