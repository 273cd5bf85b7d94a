// TEMPORARY stand-in for the music layer (platform/demo_music.h), used only
// while that layer is not in this tree: the same three calls, no sound.
#pragma once

namespace zelvik {

// Checks the player's version and initialises it; false when there is no
// audio output.
bool StartMusic(bool stereo, bool highRate);
// Frees any module, loads "demo.xm", plays it and waits (bounded) until it
// is active.
void PlayDemoMusic();
// Stops and frees the music and the player when music is enabled.
void ShutdownAudio(bool musicEnabled);

}  // namespace zelvik
