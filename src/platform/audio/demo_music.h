// The show's music steps: starting the player before the display opens,
// starting the soundtrack after set-up, and stopping it at shutdown. The
// program's DemoMain and its shutdown path call these when music is enabled
// (ShutdownAudio checks that itself).
#pragma once

#include <cstdint>

namespace zelvik {

// The soundtrack's file name: the working folder's, else the installed one
// (see platform/data_files.h).
constexpr const char* kDemoMusicFile = "demo.xm";

// How long the music may take to start, and to stop, before the show goes
// on without waiting any longer.
constexpr uint32_t kMusicWaitMilliseconds = 2000;

// Checks the player's version and opens its output: 44100 Hz when
// `highRate`, else 22050 Hz; stereo when `stereo`, else mono. False when
// the show must end (wrong player version, no audio output); the reason
// is on stderr.
bool StartMusic(bool stereo, bool highRate);

// Loads and plays the soundtrack and waits until the output is playing it,
// so that the show's clock starts with the music. When the file cannot be
// loaded or the music does not start within kMusicWaitMilliseconds, the
// show runs silently (the reason is on stderr) and this returns false.
bool PlayDemoMusic(const char* path = kDemoMusicFile);

// How long from now the music's first sample is heard, in milliseconds
// (negative: it was heard that long ago), while the soundtrack plays, else
// 0: what the sound server reports where there is one, else the output's
// buffer. The show's clock starts that much later, so that its zero is the
// moment the music is heard.
int32_t MusicLatencyMilliseconds();

// Called once per frame with the demo clock (hundredths of a second) while
// the show runs. When the audio output has been lost (unplugged, its sound
// server gone), it says so in one line on stderr and the show goes on
// silently; the default output is reopened at once and then every two
// seconds, and the music goes on from where the clock says. Where the
// output says what it holds, once a second the music is moved back to the
// clock when a gap in the output put it a frame or more behind. Costs
// next to nothing while the output works.
void KeepMusicGoing(uint32_t demoClock);

// Stops and frees the music and closes the player, when music is enabled.
// Waits at most kMusicWaitMilliseconds for the music to stop.
void ShutdownAudio(bool musicEnabled);

}  // namespace zelvik
