// Carrying on when the audio output is lost (unplugged, its sound server
// gone): the player notices, opens the system's default output in its
// place and goes on from where the music is heard. The show's side of it,
// the messages and the retries, is KeepMusicGoing (demo_music.cpp).
#include <libopenmpt/libopenmpt.h>

#include <cmath>
#include <cstddef>

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

bool ReopenPlayerOutput(double heardSeconds)
{
    if (!Player.initialised) return false;
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
    Player.output->start(opened);
    return true;
}

}  // namespace zelvik
