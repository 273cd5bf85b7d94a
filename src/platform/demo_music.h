// The show's music steps: starting the player before the display opens,
// starting the soundtrack after set-up, and stopping it at shutdown. The
// driver's DemoMain and its shutdown path call these when music is enabled
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

// Stops and frees the music and closes the player, when music is enabled.
// Waits at most kMusicWaitMilliseconds for the music to stop.
void ShutdownAudio(bool musicEnabled);

}  // namespace zelvik
