// Waiting for the audio output to start or stop playing the music. On the
// desktop the output plays on a thread of its own while the program waits;
// in a web page it plays between the page's frames, never during a wait, so
// each system has its own file.
#pragma once

#include <cstdint>

namespace zelvik {

// True once `condition` holds; false when it still does not after
// `milliseconds`.
bool WaitForMusic(bool (*condition)(), uint32_t milliseconds);

}  // namespace zelvik
