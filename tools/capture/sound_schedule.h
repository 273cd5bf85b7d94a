// Which music samples belong to which video frame. Frame n shows the
// moment n / fps seconds after the start, so the samples from
// floor(n * rate / fps) up to floor((n + 1) * rate / fps) play during it.
// Counting from the start each time (instead of adding a rounded share per
// frame) carries the remainder of rate / fps forward: after any number of
// frames exactly floor(frames * rate / fps) samples have been taken, and
// sound and picture never drift apart.
#pragma once

#include <cstdint>

namespace zelvik {

// Samples that play before frame n starts.
inline uint64_t SamplesBeforeFrame(uint64_t frame, uint32_t rate, uint32_t fps)
{
    return frame * rate / fps;
}

// Samples that play during frame n: rate / fps rounded down or up.
inline uint32_t SamplesOfFrame(uint64_t frame, uint32_t rate, uint32_t fps)
{
    return static_cast<uint32_t>(SamplesBeforeFrame(frame + 1, rate, fps) -
                                 SamplesBeforeFrame(frame, rate, fps));
}

}  // namespace zelvik
