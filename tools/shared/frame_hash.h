// The hash of a whole frame: 64-bit FNV-1a over every canvas index, then the
// red, green and blue of each of the 256 palette entries. The frame tests'
// expected values and the web build's frame comparison both use it.
#pragma once

#include <cstdint>

#include "canvas/canvas.h"

namespace zelvik::testing {

inline uint64_t HashFrame()
{
    uint64_t hash = 1469598103934665603ull;
    const auto mix = [&](uint32_t value) {
        hash ^= value;
        hash *= 1099511628211ull;
    };
    for (uint8_t pixel : Canvas) mix(pixel);
    for (int i = 0; i < 256; ++i) {
        mix(static_cast<uint32_t>(PaletteRed[i]));
        mix(static_cast<uint32_t>(PaletteGreen[i]));
        mix(static_cast<uint32_t>(PaletteBlue[i]));
    }
    return hash;
}

}  // namespace zelvik::testing
