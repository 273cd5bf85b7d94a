// The audio output of a Linux desktop: its sound server, spoken to in the
// PulseAudio protocol, which PulseAudio serves and PipeWire too (Debian's
// default, through pipewire-pulse). SDL 2.26 plays through the same server
// but tells nothing of the latency: here the show's own stream reports it,
// and the server asks for samples whenever it wants them, so that what it
// holds ahead of the music stays at the amount asked for here.
//
// Where no server answers (a machine without one), or SDL_AUDIODRIVER names
// another of SDL's drivers (tests: dummy, disk), every call goes to SDL's
// output instead. libpulse is opened at run time, as SDL opens it, so the
// show runs where it is missing.
#include <dlfcn.h>
#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

#include <SDL.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "platform/audio/audio_output.h"

namespace zelvik {

namespace {

// The library's calls used here, by their own names and types.
struct PulseCalls {
    decltype(&pa_threaded_mainloop_new) mainloopNew;
    decltype(&pa_threaded_mainloop_start) mainloopStart;
    decltype(&pa_threaded_mainloop_stop) mainloopStop;
    decltype(&pa_threaded_mainloop_free) mainloopFree;
    decltype(&pa_threaded_mainloop_lock) mainloopLock;
    decltype(&pa_threaded_mainloop_unlock) mainloopUnlock;
    decltype(&pa_threaded_mainloop_get_api) mainloopApi;
    decltype(&pa_context_new) contextNew;
    decltype(&pa_context_set_state_callback) contextStateCallback;
    decltype(&pa_context_connect) contextConnect;
    decltype(&pa_context_get_state) contextState;
    decltype(&pa_context_errno) contextErrno;
    decltype(&pa_context_disconnect) contextDisconnect;
    decltype(&pa_context_unref) contextUnref;
    decltype(&pa_stream_new) streamNew;
    decltype(&pa_stream_set_state_callback) streamStateCallback;
    decltype(&pa_stream_set_write_callback) streamWriteCallback;
    decltype(&pa_stream_connect_playback) streamConnect;
    decltype(&pa_stream_get_state) streamState;
    decltype(&pa_stream_begin_write) streamBeginWrite;
    decltype(&pa_stream_write) streamWrite;
    decltype(&pa_stream_cork) streamCork;
    decltype(&pa_stream_get_latency) streamLatency;
    decltype(&pa_stream_disconnect) streamDisconnect;
    decltype(&pa_stream_unref) streamUnref;
    decltype(&pa_operation_unref) operationUnref;
    decltype(&pa_strerror) errorText;
};

PulseCalls Pulse;

bool LoadPulse()
{
    static int loaded;  // 0 not tried, 1 loaded, -1 missing
    if (loaded != 0) return loaded > 0;
    loaded = -1;
    // Kept loaded for the life of the process, as SDL keeps it.
    void* library = dlopen("libpulse.so.0", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return false;
    bool all = true;
    const auto find = [&](auto& slot, const char* name) {
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(dlsym(library, name));
        all = all && slot != nullptr;
    };
    find(Pulse.mainloopNew, "pa_threaded_mainloop_new");
    find(Pulse.mainloopStart, "pa_threaded_mainloop_start");
    find(Pulse.mainloopStop, "pa_threaded_mainloop_stop");
    find(Pulse.mainloopFree, "pa_threaded_mainloop_free");
    find(Pulse.mainloopLock, "pa_threaded_mainloop_lock");
    find(Pulse.mainloopUnlock, "pa_threaded_mainloop_unlock");
    find(Pulse.mainloopApi, "pa_threaded_mainloop_get_api");
    find(Pulse.contextNew, "pa_context_new");
    find(Pulse.contextStateCallback, "pa_context_set_state_callback");
    find(Pulse.contextConnect, "pa_context_connect");
    find(Pulse.contextState, "pa_context_get_state");
    find(Pulse.contextErrno, "pa_context_errno");
    find(Pulse.contextDisconnect, "pa_context_disconnect");
    find(Pulse.contextUnref, "pa_context_unref");
    find(Pulse.streamNew, "pa_stream_new");
    find(Pulse.streamStateCallback, "pa_stream_set_state_callback");
    find(Pulse.streamWriteCallback, "pa_stream_set_write_callback");
    find(Pulse.streamConnect, "pa_stream_connect_playback");
    find(Pulse.streamState, "pa_stream_get_state");
    find(Pulse.streamBeginWrite, "pa_stream_begin_write");
    find(Pulse.streamWrite, "pa_stream_write");
    find(Pulse.streamCork, "pa_stream_cork");
    find(Pulse.streamLatency, "pa_stream_get_latency");
    find(Pulse.streamDisconnect, "pa_stream_disconnect");
    find(Pulse.streamUnref, "pa_stream_unref");
    find(Pulse.operationUnref, "pa_operation_unref");
    find(Pulse.errorText, "pa_strerror");
    loaded = all ? 1 : -1;
    return all;
}

// True while the calls go to the server; false: to SDL's output.
bool Server;
pa_threaded_mainloop* Loop;
pa_context* Context;
// Set from the loop's thread when the connection breaks (the server went
// away); read by the main thread once per frame.
std::atomic<bool> ContextLost{false};
char LastError[160];

// An open stream; the player keeps a failed one open beside its
// replacement for a while, so there are a few.
struct OpenStream {
    pa_stream* stream;
    AudioFill fill;
    void* tag;
    size_t frameBytes;
    std::atomic<bool> failed;
};
OpenStream Streams[8];

// How long the server may take to connect or to set up a stream before the
// output counts as unreachable.
constexpr uint32_t kSetUpMilliseconds = 1000;

void SetError(const char* what, int code)
{
    std::snprintf(LastError, sizeof LastError, "%s: %s", what, Pulse.errorText(code));
}

void ContextChanged(pa_context* context, void*)
{
    const pa_context_state_t state = Pulse.contextState(context);
    if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED) ContextLost.store(true);
    // The loop's thread renders the music: it gets the priority SDL gives
    // its own audio thread (real-time where the desktop grants it), so
    // that other work of a busy machine does not keep it waiting.
    if (state == PA_CONTEXT_READY) SDL_SetThreadPriority(SDL_THREAD_PRIORITY_TIME_CRITICAL);
}

void StreamChanged(pa_stream* stream, void* userdata)
{
    const pa_stream_state_t state = Pulse.streamState(stream);
    if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED)
        static_cast<OpenStream*>(userdata)->failed.store(true);
}

// The server asks for `bytes`: the player renders them straight into the
// server's memory. Runs on the loop's thread with its lock held, which is
// the output's lock.
void Write(pa_stream* stream, size_t bytes, void* userdata)
{
    const OpenStream* open = static_cast<const OpenStream*>(userdata);
    while (bytes >= open->frameBytes) {
        void* data = nullptr;
        size_t size = bytes;
        if (Pulse.streamBeginWrite(stream, &data, &size) < 0 || data == nullptr) return;
        size -= size % open->frameBytes;
        if (size == 0) return;
        open->fill(open->tag, static_cast<int16_t*>(data), size / open->frameBytes);
        if (Pulse.streamWrite(stream, data, size, nullptr, 0, PA_SEEK_RELATIVE) < 0) return;
        bytes -= size;
    }
}

// Waits, without the loop's lock, until `ready` says yes (1) or no (-1);
// false on a no or when the time is up.
template <typename Ready>
bool AwaitReady(Ready ready)
{
    const uint64_t start = SDL_GetTicks64();
    for (;;) {
        Pulse.mainloopLock(Loop);
        const int answer = ready();
        Pulse.mainloopUnlock(Loop);
        if (answer != 0) return answer > 0;
        if (SDL_GetTicks64() - start >= kSetUpMilliseconds) return false;
        SDL_Delay(1);
    }
}

void DropContext()
{
    if (Context == nullptr) return;
    Pulse.mainloopLock(Loop);
    Pulse.contextStateCallback(Context, nullptr, nullptr);
    Pulse.contextDisconnect(Context);
    Pulse.contextUnref(Context);
    Pulse.mainloopUnlock(Loop);
    Context = nullptr;
}

// Connects to the server (never starting one); false with the reason in
// LastError.
bool Connect()
{
    Pulse.mainloopLock(Loop);
    Context = Pulse.contextNew(Pulse.mainloopApi(Loop), "zelvik");
    ContextLost.store(false);
    const bool started = Context != nullptr && (Pulse.contextStateCallback(Context, ContextChanged, nullptr),
                                                Pulse.contextConnect(Context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0);
    Pulse.mainloopUnlock(Loop);
    const bool ready = started && AwaitReady([] {
        const pa_context_state_t state = Pulse.contextState(Context);
        return state == PA_CONTEXT_READY ? 1 : PA_CONTEXT_IS_GOOD(state) ? 0 : -1;
    });
    if (!ready) {
        SetError("no sound server", Context != nullptr ? Pulse.contextErrno(Context) : PA_ERR_INTERNAL);
        DropContext();
    }
    return ready;
}

bool StartUp()
{
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    const bool sdlNamed = driver != nullptr && *driver != '\0' && std::strcmp(driver, "pulseaudio") != 0;
    Server = false;
    if (!sdlNamed && LoadPulse()) {
        Loop = Pulse.mainloopNew();
        if (Loop != nullptr && Pulse.mainloopStart(Loop) >= 0 && Connect()) {
            Server = true;
            return true;
        }
        if (Loop != nullptr) {
            Pulse.mainloopStop(Loop);
            Pulse.mainloopFree(Loop);
            Loop = nullptr;
        }
    }
    return SdlAudioOutput.startUp();
}

void ShutDown()
{
    if (!Server) {
        SdlAudioOutput.shutDown();
        return;
    }
    DropContext();
    Pulse.mainloopStop(Loop);
    Pulse.mainloopFree(Loop);
    Loop = nullptr;
    Server = false;
}

// The server's outputs are not numbered: only its default one is used.
const char* OutputName(int32_t index) { return Server ? nullptr : SdlAudioOutput.outputName(index); }

// Ends a stream and frees its place. Under the loop's lock no write call
// is running, and none comes after.
void DropStream(OpenStream* open)
{
    if (open->stream == nullptr) return;
    Pulse.mainloopLock(Loop);
    Pulse.streamStateCallback(open->stream, nullptr, nullptr);
    Pulse.streamWriteCallback(open->stream, nullptr, nullptr);
    Pulse.streamDisconnect(open->stream);
    Pulse.streamUnref(open->stream);
    Pulse.mainloopUnlock(Loop);
    open->stream = nullptr;
}

OpenStream* StreamOf(uint32_t output)
{
    return output >= 1 && output <= sizeof Streams / sizeof Streams[0] ? &Streams[output - 1] : nullptr;
}

uint32_t Open(const char* name, const AudioOutputFormat& format, AudioFill fill, void* tag,
              uint32_t* bufferFrames)
{
    if (!Server) return SdlAudioOutput.open(name, format, fill, tag, bufferFrames);
    // After the server went away, a new connection for the new stream.
    if (ContextLost.load()) {
        DropContext();
        if (!Connect()) return 0;
    }
    uint32_t id = 0;
    for (uint32_t i = 1; i <= sizeof Streams / sizeof Streams[0]; ++i)
        if (StreamOf(i)->stream == nullptr) {
            id = i;
            break;
        }
    if (id == 0) {
        std::snprintf(LastError, sizeof LastError, "too many audio outputs open");
        return 0;
    }
    OpenStream* open = StreamOf(id);
    open->fill = fill;
    open->tag = tag;
    open->frameBytes = sizeof(int16_t) * static_cast<size_t>(format.channels);
    // The server holds a fifth of a second and asks for a buffer whenever
    // one has played. With only two buffers held, a machine whose two cores
    // were busy kept the loop's thread waiting longer than that now and
    // then: each wait was a gap in the music and put it behind the picture
    // for good. The latency this costs is measured and made up for
    // (queuedMicroseconds).
    uint32_t heldFrames = static_cast<uint32_t>(format.rate) / 5;
    if (heldFrames < 2 * format.bufferFrames) heldFrames = 2 * format.bufferFrames;
    open->failed.store(false);

    const pa_sample_spec spec{PA_SAMPLE_S16NE, static_cast<uint32_t>(format.rate),
                              static_cast<uint8_t>(format.channels)};
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<uint32_t>(-1);
    attributes.tlength = static_cast<uint32_t>(heldFrames * open->frameBytes);
    attributes.prebuf = static_cast<uint32_t>(-1);
    attributes.minreq = static_cast<uint32_t>(format.bufferFrames * open->frameBytes);
    attributes.fragsize = static_cast<uint32_t>(-1);
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_INTERPOLATE_TIMING |
                                                      PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_ADJUST_LATENCY);
    Pulse.mainloopLock(Loop);
    open->stream = Pulse.streamNew(Context, "Music", &spec, nullptr);
    int code = Pulse.contextErrno(Context);
    if (open->stream != nullptr) {
        Pulse.streamStateCallback(open->stream, StreamChanged, open);
        Pulse.streamWriteCallback(open->stream, Write, open);
        if (Pulse.streamConnect(open->stream, name, &attributes, flags, nullptr, nullptr) < 0)
            code = Pulse.contextErrno(Context);
    }
    Pulse.mainloopUnlock(Loop);
    const bool ready = open->stream != nullptr && AwaitReady([open] {
        const pa_stream_state_t state = Pulse.streamState(open->stream);
        return state == PA_STREAM_READY ? 1 : PA_STREAM_IS_GOOD(state) ? 0 : -1;
    });
    if (!ready) {
        Pulse.mainloopLock(Loop);
        if (open->stream != nullptr) code = Pulse.contextErrno(Context);
        Pulse.mainloopUnlock(Loop);
        SetError("the sound server refused a stream", code);
        DropStream(open);
        return 0;
    }
    *bufferFrames = format.bufferFrames;
    return id;
}

void Start(uint32_t output)
{
    if (!Server) return SdlAudioOutput.start(output);
    OpenStream* open = StreamOf(output);
    if (open == nullptr || open->stream == nullptr) return;
    Pulse.mainloopLock(Loop);
    if (pa_operation* op = Pulse.streamCork(open->stream, 0, nullptr, nullptr)) Pulse.operationUnref(op);
    Pulse.mainloopUnlock(Loop);
}

void Lock(uint32_t output)
{
    if (!Server) return SdlAudioOutput.lock(output);
    Pulse.mainloopLock(Loop);
}

void Unlock(uint32_t output)
{
    if (!Server) return SdlAudioOutput.unlock(output);
    Pulse.mainloopUnlock(Loop);
}

void Close(uint32_t output)
{
    if (!Server) return SdlAudioOutput.close(output);
    if (OpenStream* open = StreamOf(output)) DropStream(open);
}

bool Lost(uint32_t output)
{
    if (!Server) return SdlAudioOutput.lost(output);
    const OpenStream* open = StreamOf(output);
    return ContextLost.load() || open == nullptr || open->failed.load();
}

// A new stream plays the first samples it is given at once: what the
// server holds builds up behind them. (Only a new stream is asked: the
// latency of a running one is what QueuedMicroseconds reports.)
uint32_t LatencyFrames(uint32_t output, uint32_t bufferFrames)
{
    return Server ? 0 : SdlAudioOutput.latencyFrames(output, bufferFrames);
}

// The stream's latency as the server's timing reports give it, brought up
// to now: the time until the last sample written is heard.
bool QueuedMicroseconds(uint32_t output, uint64_t* microseconds)
{
    if (!Server) return false;
    const OpenStream* open = StreamOf(output);
    if (open == nullptr || open->stream == nullptr) return false;
    pa_usec_t latency = 0;
    int negative = 0;
    if (Pulse.streamLatency(open->stream, &latency, &negative) < 0) return false;
    *microseconds = negative ? 0 : latency;
    return true;
}

const char* Error() { return Server ? LastError : SdlAudioOutput.error(); }

bool WaitFor(bool (*condition)(), uint32_t milliseconds) { return SdlAudioOutput.waitFor(condition, milliseconds); }

}  // namespace

const AudioOutputBackend DesktopAudioOutput = {
    "desktop", StartUp, ShutDown, OutputName, Open, Start, Lock, Unlock, Close, Lost, LatencyFrames,
    QueuedMicroseconds, Error, WaitFor,
};

}  // namespace zelvik
