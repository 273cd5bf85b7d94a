// The audio output on SDL2: SDL's audio thread calls the player's fill
// whenever an output needs samples. SDL holds an output's device lock
// around every callback, so the player's lock keeps the callback out.
#include <SDL.h>

#include <atomic>

#include "platform/audio/audio_output.h"

namespace zelvik {

namespace {

// What SDL's callback of one output hands on. The player keeps a failed
// output open beside its replacement for a while, so there are a few.
struct OpenOutput {
    SDL_AudioDeviceID id;
    AudioFill fill;
    void* tag;
    size_t frameBytes;
};
OpenOutput Outputs[8];

// The last output SDL reported removed, noted by the event watch on
// whatever thread reports it; compared with an output's id on the main
// thread.
std::atomic<uint32_t> Removed{0};

void Callback(void* userdata, Uint8* stream, int bytes)
{
    const OpenOutput* output = static_cast<const OpenOutput*>(userdata);
    output->fill(output->tag, reinterpret_cast<int16_t*>(stream),
                 static_cast<size_t>(bytes) / output->frameBytes);
}

// SDL reports a failed or unplugged output with an event, sent from the
// audio thread; the watch only notes it, the main thread acts on it.
int WatchForRemovedOutput(void*, SDL_Event* event)
{
    if (event->type == SDL_AUDIODEVICEREMOVED && !event->adevice.iscapture) {
        Removed.store(event->adevice.which);
    }
    return 1;
}

bool StartUp()
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AddEventWatch(WatchForRemovedOutput, nullptr);
    return true;
}

void ShutDown()
{
    SDL_DelEventWatch(WatchForRemovedOutput, nullptr);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

const char* OutputName(int32_t index)
{
    return index >= 0 && index < SDL_GetNumAudioDevices(0) ? SDL_GetAudioDeviceName(index, 0) : nullptr;
}

uint32_t Open(const char* name, const AudioOutputFormat& format, AudioFill fill, void* tag,
              uint32_t* bufferFrames)
{
    OpenOutput* slot = nullptr;
    for (OpenOutput& output : Outputs)
        if (output.id == 0 && output.fill == nullptr) {
            slot = &output;
            break;
        }
    if (slot == nullptr) {
        SDL_SetError("too many audio outputs open");
        return 0;
    }
    SDL_AudioSpec wanted;
    SDL_zero(wanted);
    wanted.freq = format.rate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = static_cast<Uint8>(format.channels);
    wanted.samples = static_cast<Uint16>(format.bufferFrames);
    wanted.callback = Callback;
    wanted.userdata = slot;
    // Claimed before the open: the callback may run as soon as it returns.
    *slot = OpenOutput{0, fill, tag, sizeof(int16_t) * static_cast<size_t>(format.channels)};
    // SDL hands out the ids of closed outputs again.
    Removed.store(0);
    SDL_AudioSpec obtained;
    // No changes allowed: SDL converts to whatever the hardware wants, so
    // the callback always sees the format asked for.
    const SDL_AudioDeviceID opened = SDL_OpenAudioDevice(name, 0, &wanted, &obtained, 0);
    if (opened == 0) {
        *slot = OpenOutput{};
        return 0;
    }
    slot->id = opened;
    *bufferFrames = obtained.samples;
    return opened;
}

void Start(uint32_t output) { SDL_PauseAudioDevice(output, 0); }
void Lock(uint32_t output) { SDL_LockAudioDevice(output); }
void Unlock(uint32_t output) { SDL_UnlockAudioDevice(output); }

void Close(uint32_t output)
{
    SDL_CloseAudioDevice(output);  // waits for a running callback
    for (OpenOutput& slot : Outputs)
        if (slot.id == output) slot = OpenOutput{};
}

bool Lost(uint32_t output)
{
    return Removed.load() == output || SDL_GetAudioDeviceStatus(output) == SDL_AUDIO_STOPPED;
}

// SDL 2 reports nothing about latency beyond the buffer it opened: a
// buffer the callback fills is heard once the one before it has played.
uint32_t LatencyFrames(uint32_t, uint32_t bufferFrames) { return bufferFrames; }

const char* Error() { return SDL_GetError(); }

// Polls every millisecond: sleeping between polls leaves the processor to
// the audio thread that the wait is for.
bool WaitFor(bool (*condition)(), uint32_t milliseconds)
{
    const uint64_t start = SDL_GetTicks64();
    while (!condition()) {
        if (SDL_GetTicks64() - start >= milliseconds) return false;
        SDL_Delay(1);
    }
    return true;
}

}  // namespace

const AudioOutputBackend SdlAudioOutput = {
    "sdl", StartUp, ShutDown, OutputName, Open, Start, Lock, Unlock, Close, Lost, LatencyFrames,
    nullptr, Error, WaitFor,
};

}  // namespace zelvik
