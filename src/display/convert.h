// Row converters: 0x00RRGGBB words into the eight pixel formats a display
// may report, and the row loop that fills a locked surface with a frame.
#pragma once

#include <cstdint>

namespace zelvik {

using RowConverter = void (*)(const uint32_t* source, uint8_t* destination, int32_t count);

void CopyRow32(const uint32_t* source, uint8_t* destination, int32_t count);
void SwapRow32(const uint32_t* source, uint8_t* destination, int32_t count);
void PackRow24(const uint32_t* source, uint8_t* destination, int32_t count);
void PackRow24Swapped(const uint32_t* source, uint8_t* destination, int32_t count);
void PackRow565(const uint32_t* source, uint8_t* destination, int32_t count);
void PackRow565Swapped(const uint32_t* source, uint8_t* destination, int32_t count);
void PackRow555(const uint32_t* source, uint8_t* destination, int32_t count);
void PackRow555Swapped(const uint32_t* source, uint8_t* destination, int32_t count);

// One of the eight formats the show can draw into: bit count and masks as
// a display reports them (16 for the 5-5-5 formats, never 15).
struct PixelFormatSpec {
    const char* name;  // "32", "32-swapped", "24", ... as the capture tool spells them
    uint32_t bitCount;
    uint32_t redMask;
    uint32_t greenMask;
    uint32_t blueMask;
    int32_t bytesPerPixel;
    RowConverter converter;
};
inline constexpr int32_t kPixelFormatCount = 8;
extern const PixelFormatSpec PixelFormats[kPixelFormatCount];

// Exact match of bit count and the three masks against the eight formats;
// nullptr when none matches.
RowConverter SelectRowConverter(uint32_t bitCount, uint32_t redMask, uint32_t greenMask,
                                uint32_t blueMask);

// Finds a format by its name; nullptr when unknown.
const PixelFormatSpec* FindPixelFormat(const char* name);

// The row loop of presentation: height rows of width words from frame, row
// r written at destination + r * pitch. Bytes past each row's pixels are
// left alone.
void ConvertFrame(const uint32_t* frame, int32_t width, int32_t height, uint8_t* destination,
                  int32_t pitch, RowConverter converter);

}  // namespace zelvik
