#include "fake_music.h"

#include <cstdio>

#if __has_include("platform/demo_music.h")
#include "platform/demo_music.h"
#else
#include "platform/demo_music_stub.h"
#endif

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
    return FakeMusicStartResult;
}

void PlayDemoMusic() { ++FakeMusic.plays; }

// Shutdown is the last thing a process does before it exits, so this is
// where a test running the program in a child process learns the calls.
void ShutdownAudio(bool musicEnabled)
{
    ++FakeMusic.shutdowns;
    FakeMusic.shutdownMusicEnabled = musicEnabled;
    std::fprintf(stderr, "music calls: start=%d stereo=%d highRate=%d play=%d shutdown(%d)\n",
                 FakeMusic.starts, FakeMusic.stereo, FakeMusic.highRate, FakeMusic.plays,
                 musicEnabled);
}

}  // namespace zelvik
