// Writes 8-bit Windows BMP files in memory: the sheet generators' sprite
// sheets, the tests' own sheets and the fuzzers' seeds, well-formed or
// broken on purpose in any header field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "canvas/canvas.h"

namespace bmp {

// Byte offsets of the header fields, for files changed after writing.
inline constexpr size_t kFileSizeAt = 2;
inline constexpr size_t kRowOffsetAt = 10;
inline constexpr size_t kInfoSizeAt = 14;
inline constexpr size_t kWidthAt = 18;
inline constexpr size_t kHeightAt = 22;
inline constexpr size_t kPlanesAt = 26;
inline constexpr size_t kBitCountAt = 28;
inline constexpr size_t kCompressionAt = 30;
inline constexpr size_t kImageSizeAt = 34;
inline constexpr size_t kColoursUsedAt = 46;
inline constexpr size_t kClassicTableAt = 54;  // after a 40-byte info header

inline constexpr uint32_t kRle8 = 1;

// The header fields. The defaults give the classic layout of a picture of
// the show's canvas size: 14-byte file header, 40-byte info header, a
// 256-entry colour table, uncompressed rows from offset 1078.
struct Fields {
    char signature[2] = {'B', 'M'};
    int32_t width = zelvik::kCanvasWidth;
    int32_t height = zelvik::kCanvasHeight;  // negative: rows stored top-down
    uint16_t planes = 1;
    uint16_t bitCount = 8;
    uint32_t compression = 0;
    uint32_t infoSize = 40;
    uint32_t coloursUsed = 0;  // 0: 256
    int64_t rowOffset = -1;    // -1: straight after the colour table
    uint32_t imageSize = static_cast<uint32_t>(zelvik::kCanvasSize);
    uint32_t pixelsPerMetre = 2835;  // 72 dots per inch

    uint32_t Entries() const { return coloursUsed == 0 ? 256 : coloursUsed; }
    uint32_t TableOffset() const { return 14 + infoSize; }
    uint32_t RowOffset() const
    {
        return rowOffset >= 0 ? static_cast<uint32_t>(rowOffset) : TableOffset() + 4 * Entries();
    }
};

// The file: the file header and a 40-byte info header from `fields`, the
// colour table (0x00RRGGBB values; entries past `colours` are black) where
// it fits between the info header and the rows, and `rows` exactly as
// stored, from the row offset. Gaps are filled with `fill`; the file size
// field is the whole file's.
std::vector<uint8_t> Encode(const Fields& fields, const std::vector<uint32_t>& colours,
                            const std::vector<uint8_t>& rows, uint8_t fill = 0);

// The rows of a picture of the canvas's size, given top row first, in the
// order a bottom-up file stores them.
std::vector<uint8_t> BottomUp(const uint8_t* topDown);

// RLE8 data for bottom-up rows of the canvas's size, as common encoders
// write it: runs of three or more as encoded runs, other stretches as
// absolute blocks padded to an even length, an end-of-line after each row
// but the last, then end-of-bitmap.
std::vector<uint8_t> EncodeRle8(const uint8_t* bottomUpRows);

// Little-endian values into a file already written; nothing past its end.
void Put16(std::vector<uint8_t>& file, size_t at, uint32_t value);
void Put32(std::vector<uint8_t>& file, size_t at, uint32_t value);

}  // namespace bmp
