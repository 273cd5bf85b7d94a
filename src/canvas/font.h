// The fixed 4x8 bitmap font (codes 32 ... 127) and text drawing into the
// canvas through the clipped PutPixel, in the current TextColour.
#pragma once

#include <cstdint>

namespace zelvik {

// 48 entries of 8 rows; entry k holds code 32 + 2k in the high nibbles and
// code 33 + 2k in the low nibbles, most significant bit = leftmost column.
extern const uint8_t Font4x8[48 * 8];

void SetTextColour(int32_t colour);
void DrawChar(int32_t x, int32_t y, char code);
void DrawString(int32_t x, int32_t y, const char* text);

}  // namespace zelvik
