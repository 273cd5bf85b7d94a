#include "platform/demo_music.h"

#include <cstdio>

#include "platform/module_player.h"

namespace zelvik {

// In a web page the audio callback runs between the page's frames, never
// while the program waits: the music layer cannot wait for the output to
// start or stop as it does on the desktop. The music starts at the next
// callback after Play, a few milliseconds later, and nothing can be in a
// callback while it is freed.
namespace {

constexpr uint32_t kPlayerVersion = 0x00070000;

}  // namespace

bool StartMusic(bool stereo, bool highRate)
{
    const uint32_t version = BASSMOD_GetVersion();
    if (version != kPlayerVersion) {
        std::fprintf(stderr, "music: player version 0x%08X, the show needs 0x%08X\n",
                     static_cast<unsigned>(version), static_cast<unsigned>(kPlayerVersion));
        return false;
    }
    // Init prints the reason when it fails.
    return BASSMOD_Init(-1, highRate ? 44100 : 22050, stereo ? 0 : kPlayerMono) != 0;
}

bool PlayDemoMusic(const char* path)
{
    BASSMOD_MusicFree();
    // Load prints the reason when it fails; the show then runs silently.
    if (!BASSMOD_MusicLoad(0, path, 0, 0, kShowModuleFlags)) return false;
    return BASSMOD_MusicPlay() != 0;
}

void ShutdownAudio(bool musicEnabled)
{
    if (!musicEnabled) return;  // the player was never touched
    BASSMOD_MusicFree();
    BASSMOD_Free();
}

}  // namespace zelvik
