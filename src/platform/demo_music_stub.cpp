// TEMPORARY: a silent music layer, linked into `zelvik` only while the real
// one (the zelvik_audio library) is not part of the build. Remove it once
// that library is in.
#include "platform/demo_music_stub.h"

namespace zelvik {

bool StartMusic(bool, bool) { return true; }
void PlayDemoMusic() {}
void ShutdownAudio(bool) {}

}  // namespace zelvik
