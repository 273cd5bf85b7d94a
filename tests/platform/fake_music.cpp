#include "fake_music.h"

#include <SDL.h>

#include <cstdio>

#include "platform/audio/demo_music.h"

namespace zelvik {

FakeMusicCalls FakeMusic;
bool FakeMusicStartResult = true;

void ResetFakeMusic()
{
    FakeMusic = FakeMusicCalls{};
    FakeMusicStartResult = true;
}

bool StartMusic(bool stereo, bool highRate)
{
    ++FakeMusic.starts;
    FakeMusic.stereo = stereo;
    FakeMusic.highRate = highRate;
    // The real layer says why in one line; the program must not add another.
    if (!FakeMusicStartResult) std::fprintf(stderr, "no audio output: fake output refused\n");
    return FakeMusicStartResult;
}

bool PlayDemoMusic(const char*)
{
    ++FakeMusic.plays;
    return true;
}

int32_t MusicLatencyMilliseconds()
{
    return 0;
}

void KeepMusicGoing(uint32_t) {}

// Shutdown is the last thing a process does before it exits, so this is
// where a test running the program in a child process learns the calls.
void ShutdownAudio(bool musicEnabled)
{
    ++FakeMusic.shutdowns;
    FakeMusic.shutdownMusicEnabled = musicEnabled;
    FakeMusic.screenSaverOnAtShutdown = SDL_IsScreenSaverEnabled();
    // The display is shut down before the music: the screen saver is back on.
    std::fprintf(stderr, "music calls: start=%d stereo=%d highRate=%d play=%d shutdown(%d) screensaver=%d\n",
                 FakeMusic.starts, FakeMusic.stereo, FakeMusic.highRate, FakeMusic.plays,
                 musicEnabled, SDL_IsScreenSaverEnabled() ? 1 : 0);
}

}  // namespace zelvik
