// Carrying on when the audio output is lost (unplugged, its sound server
// gone): the player notices, opens the system's default output in its
// place and goes on from where the music is heard. The show's side of it,
// the messages and the retries, is KeepMusicGoing (demo_music.cpp).
#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>

#include "platform/audio/module_decoder.h"
#include "platform/audio/module_player.h"
#include "platform/audio/player_state.h"

namespace zelvik {

bool PlayerOutputLost()
{
    if (!Player.initialised) return false;
    if (!Player.device) return true;
    return Player.output->lost(Player.device);
}

// The failed output joins the retired ones; the oldest of those is closed
// when all places are taken.
static void RetireOutput(uint32_t device)
{
    constexpr size_t kSlots = sizeof(Player.retired) / sizeof(Player.retired[0]);
    if (Player.retired[kSlots - 1]) Player.output->close(Player.retired[kSlots - 1]);
    for (size_t i = kSlots - 1; i > 0; --i) Player.retired[i] = Player.retired[i - 1];
    Player.retired[0] = device;
}

// libopenmpt seeks to the start of the row that the time falls in, and a
// row lasts a tenth of a second or more: the rest up to the time asked for
// is rendered and dropped, so that the music goes on at that very sample.
static void SeekExactly(double seconds)
{
    const double reached = openmpt_module_set_position_seconds(Player.module, seconds);
    Player.renderedFrom = reached;
    Player.renderedFrames = 0;
    if (seconds > reached) DropFrames(static_cast<uint64_t>(std::llround((seconds - reached) * Player.rate)));
}

bool ReopenPlayerOutput(double heardSeconds)
{
    if (!Player.initialised) return false;
    // Opening takes a while (a sound server's stream, tens of milliseconds),
    // and the clock runs on meanwhile.
    const auto openStarted = std::chrono::steady_clock::now();
    // From here on the failed output renders silence: the module belongs
    // to whichever output is opened next.
    LockOutput();
    Player.generation.fetch_add(1);
    UnlockOutput();

    uint32_t opened = OpenPlayerOutput(nullptr);
    if (!opened && Player.device) {
        // Some drivers open one output at a time: the failed one has to go
        // first, even though closing it waits for its thread.
        Player.output->close(Player.device);
        Player.device = 0;
        opened = OpenPlayerOutput(nullptr);
    }
    if (!opened) return false;
    if (Player.device) RetireOutput(Player.device);
    Player.device = opened;

    // The new output has not started yet; what it renders first is heard
    // one latency later, so it starts that far ahead.
    if (Player.module) {
        double seconds = heardSeconds + PlayerLatencyMilliseconds() / 1000.0 +
                         std::chrono::duration<double>(std::chrono::steady_clock::now() - openStarted).count();
        const double length = openmpt_module_get_duration_seconds(Player.module);
        // A looping song is heard round and round: wrap into its length.
        if (length > 0.0 && seconds >= length && openmpt_module_get_repeat_count(Player.module) != 0) {
            seconds = std::fmod(seconds, length);
        }
        if (seconds < 0.0) seconds = 0.0;
        SeekExactly(seconds);
        Player.ended = false;
    }
    Player.output->start(opened);
    return true;
}

// A gap only ever puts the music behind: the frames it missed are
// rendered and dropped. Music ahead of the clock is left alone (it comes
// only from the reports' own jitter).
bool KeepPlayerAt(double clockSeconds)
{
    if (!Player.device || !Player.module || Player.output->queuedMicroseconds == nullptr) return false;
    // More than a frame at 60 Hz with some room for the clock's own steps
    // of a hundredth; less than a second.
    constexpr double kSmallest = 0.02, kLargest = 1.0;
    uint64_t queued = 0;
    LockOutput();
    const bool known = Player.output->queuedMicroseconds(Player.device, &queued);
    if (known) {
        const double behind = clockSeconds - (RenderedSeconds() - static_cast<double>(queued) * 1e-6);
        if (behind >= kSmallest && behind < kLargest) DropFrames(static_cast<uint64_t>(std::llround(behind * Player.rate)));
    }
    UnlockOutput();
    return known;
}

}  // namespace zelvik
