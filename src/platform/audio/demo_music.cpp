#include "platform/audio/demo_music.h"

#include <cmath>
#include <cstdio>

#include "driver/report.h"
#include "platform/audio/module_player.h"

namespace zelvik {

namespace {

// True while the soundtrack is meant to be heard: from a successful
// PlayDemoMusic until shutdown.
bool SoundtrackPlaying = false;
// While the output is lost: the clock at which to try reopening it next.
bool OutputLost = false;
uint32_t NextReopenClock = 0;

// How often a lost output is tried again, in hundredths of a second.
constexpr uint32_t kReopenInterval = 200;
// How often the music is held against the clock, and when next.
constexpr uint32_t kKeepInterval = 100;
uint32_t NextKeepClock = 0;

}  // namespace

bool StartMusic(bool stereo, bool highRate)
{
    const uint32_t version = BASSMOD_GetVersion();
    if (version != kPlayerVersion) {
        Report("music: player version 0x%08X, the show needs 0x%08X", static_cast<unsigned>(version),
               static_cast<unsigned>(kPlayerVersion));
        return false;
    }
    // Init prints the reason when it fails.
    return BASSMOD_Init(-1, highRate ? 44100 : 22050, stereo ? 0 : kPlayerMono) != 0;
}

bool PlayDemoMusic(const char* path)
{
    BASSMOD_MusicFree();
    SoundtrackPlaying = false;
    OutputLost = false;
    NextKeepClock = kKeepInterval;
    // Load prints the reason when it fails; the show then runs silently.
    if (!BASSMOD_MusicLoad(0, path, 0, 0, kShowModuleFlags)) return false;
    if (!BASSMOD_MusicPlay()) return false;
    // The wait has a way out: an output that never starts must not hold
    // the show back for ever.
    if (WaitForPlayer([] { return BASSMOD_MusicIsActive() != 0; }, kMusicWaitMilliseconds)) {
        SoundtrackPlaying = true;
        return true;
    }
    Report("%s: the music did not start within %u ms; the show runs silently", path,
           static_cast<unsigned>(kMusicWaitMilliseconds));
    BASSMOD_MusicFree();  // so that it cannot start later, out of step with the picture
    return false;
}

int32_t MusicLatencyMilliseconds()
{
    if (!SoundtrackPlaying) return 0;
    double heard = 0.0;
    if (PlayerHeardSeconds(&heard)) return static_cast<int32_t>(std::lround(-heard * 1000.0));
    return static_cast<int32_t>(PlayerLatencyMilliseconds());
}

void KeepMusicGoing(uint32_t demoClock)
{
    if (!SoundtrackPlaying) return;
    if (!OutputLost) {
        if (static_cast<int32_t>(demoClock - NextKeepClock) >= 0) {
            NextKeepClock = demoClock + kKeepInterval;
            // The clock's reading is the start of its hundredth: half of
            // one has passed on average.
            KeepPlayerAt((demoClock + 0.5) / 100.0);
        }
        if (!PlayerOutputLost()) return;
        OutputLost = true;
        // One line whatever happens next; a later return gets one more.
        if (ReopenPlayerOutput(demoClock / 100.0)) {
            OutputLost = false;
            Report("music: the audio output was lost; reopened, the music goes on at %.2f s",
                   demoClock / 100.0);
            return;
        }
        Report("music: the audio output was lost; the show goes on without sound");
        NextReopenClock = demoClock + kReopenInterval;
        return;
    }
    // Signed difference: robust against the clock's wrap-around.
    if (static_cast<int32_t>(demoClock - NextReopenClock) < 0) return;
    if (ReopenPlayerOutput(demoClock / 100.0)) {
        OutputLost = false;
        Report("music: an audio output is back; the music goes on at %.2f s", demoClock / 100.0);
        return;
    }
    NextReopenClock = demoClock + kReopenInterval;
}

void ShutdownAudio(bool musicEnabled)
{
    if (!musicEnabled) return;  // the player was never touched
    SoundtrackPlaying = false;
    OutputLost = false;
    BASSMOD_MusicFree();
    WaitForPlayer([] { return BASSMOD_MusicIsActive() == 0; }, kMusicWaitMilliseconds);
    BASSMOD_Free();
}

}  // namespace zelvik
