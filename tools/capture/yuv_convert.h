// Conversion of the scaled 32-bit frames to the video encoder's colour
// planes: BT.709, studio range (Y 16-235, Cb and Cr 16-240), full
// resolution in all three planes.
#pragma once

#include <cstdint>

namespace zelvik {

// Converts width x height pixels (bytes B, G, R, unused; rows `pitch` bytes
// apart) into the Y, Cb and Cr planes (rows `planePitch[k]` bytes apart).
// Each value is the exact one rounded to the nearest whole number, up to
// 1/100 of a step; a row equal to the one above is copied, not converted.
void ConvertToYuv444(const uint8_t* pixels, int32_t pitch, int32_t width, int32_t height,
                     uint8_t* const planes[3], const int32_t planePitch[3]);

}  // namespace zelvik
