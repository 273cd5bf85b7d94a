// A music layer that only records how the program called it.
#pragma once

#include <cstdint>

namespace zelvik {

struct FakeMusicCalls {
    int32_t starts;
    bool stereo;
    bool highRate;
    int32_t plays;
    int32_t shutdowns;
    bool shutdownMusicEnabled;
    bool screenSaverOnAtShutdown;  // the display was shut down first
};
extern FakeMusicCalls FakeMusic;
// What StartMusic answers (true unless a test says otherwise).
extern bool FakeMusicStartResult;
void ResetFakeMusic();

}  // namespace zelvik
