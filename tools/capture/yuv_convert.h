// Conversion of the scaled 32-bit frames to the video encoder's colour
// planes: BT.709, studio range (Y 16-235, Cb and Cr 16-240), with the colour
// differences at full resolution (4:4:4) or one pair for each 2x2 block of
// pixels (4:2:0).
#pragma once

#include <cstdint>

namespace zelvik {

// Converts width x height pixels (bytes B, G, R, unused; rows `pitch` bytes
// apart) into the Y, Cb and Cr planes (rows `planePitch[k]` bytes apart).
// Each value is the exact one rounded to the nearest whole number, up to
// 1/100 of a step; a row equal to the one above is copied, not converted.
void ConvertToYuv444(const uint8_t* pixels, int32_t pitch, int32_t width, int32_t height,
                     uint8_t* const planes[3], const int32_t planePitch[3]);

// The same with Cb and Cr planes of width / 2 x height / 2 (width and height
// even): each value is the exact one of the 2x2 block's mean colour,
// rounded the same way, so a block inside one pixel of the canvas keeps
// that pixel's colour. A pair of rows equal to the pair above is copied.
void ConvertToYuv420(const uint8_t* pixels, int32_t pitch, int32_t width, int32_t height,
                     uint8_t* const planes[3], const int32_t planePitch[3]);

}  // namespace zelvik
