#include "display/convert.h"

#include <bit>
#include <cstring>

namespace zelvik {

// Each converter is one tight loop with the format fixed at compile time;
// the format is decided once, when the converter is chosen, never per pixel.

void CopyRow32(const uint32_t* __restrict source, uint8_t* __restrict destination, int32_t count)
{
    if (count > 0) std::memcpy(destination, source, static_cast<size_t>(count) * 4);
}

// Destination pixels are little-endian and need not be aligned (a surface
// pitch can be any byte count). On a little-endian host a memcpy of the
// value is one unaligned store; elsewhere the bytes are swapped first.
static inline void Store16(uint8_t* destination, uint32_t value)
{
    uint16_t v = static_cast<uint16_t>(value);
    if constexpr (std::endian::native == std::endian::big) v = static_cast<uint16_t>((v >> 8) | (v << 8));
    std::memcpy(destination, &v, 2);
}

static inline void Store32(uint8_t* destination, uint32_t value)
{
    if constexpr (std::endian::native == std::endian::big)
        value = (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
    std::memcpy(destination, &value, 4);
}

void SwapRow32(const uint32_t* __restrict source, uint8_t* __restrict destination, int32_t count)
{
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t p = source[i];
        Store32(destination + 4 * i, ((p & 0xFF0000u) >> 16) | (p & 0xFF00u) | ((p & 0xFFu) << 16));
    }
}

void PackRow24(const uint32_t* __restrict source, uint8_t* __restrict destination, int32_t count)
{
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t p = source[i];
        destination[3 * i + 0] = static_cast<uint8_t>(p);
        destination[3 * i + 1] = static_cast<uint8_t>(p >> 8);
        destination[3 * i + 2] = static_cast<uint8_t>(p >> 16);
    }
}

void PackRow24Swapped(const uint32_t* __restrict source, uint8_t* __restrict destination, int32_t count)
{
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t p = source[i];
        destination[3 * i + 0] = static_cast<uint8_t>(p >> 16);
        destination[3 * i + 1] = static_cast<uint8_t>(p >> 8);
        destination[3 * i + 2] = static_cast<uint8_t>(p);
    }
}

void PackRow565(const uint32_t* __restrict source, uint8_t* __restrict destination, int32_t count)
{
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t p = source[i];
        Store16(destination + 2 * i, ((p & 0xF80000u) >> 8) | ((p & 0xFC00u) >> 5) | ((p & 0xF8u) >> 3));
    }
}

void PackRow565Swapped(const uint32_t* __restrict source, uint8_t* __restrict destination, int32_t count)
{
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t p = source[i];
        Store16(destination + 2 * i, ((p & 0xF80000u) >> 19) | ((p & 0xFC00u) >> 5) | ((p & 0xF8u) << 8));
    }
}

void PackRow555(const uint32_t* __restrict source, uint8_t* __restrict destination, int32_t count)
{
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t p = source[i];
        Store16(destination + 2 * i, ((p & 0xF80000u) >> 9) | ((p & 0xF800u) >> 6) | ((p & 0xF8u) >> 3));
    }
}

void PackRow555Swapped(const uint32_t* __restrict source, uint8_t* __restrict destination, int32_t count)
{
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t p = source[i];
        Store16(destination + 2 * i, ((p & 0xF80000u) >> 19) | ((p & 0xF800u) >> 6) | ((p & 0xF8u) << 7));
    }
}

const PixelFormatSpec PixelFormats[kPixelFormatCount] = {
    {"32", 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 4, CopyRow32},
    {"32-swapped", 32, 0x000000FF, 0x0000FF00, 0x00FF0000, 4, SwapRow32},
    {"24", 24, 0x00FF0000, 0x0000FF00, 0x000000FF, 3, PackRow24},
    {"24-swapped", 24, 0x000000FF, 0x0000FF00, 0x00FF0000, 3, PackRow24Swapped},
    {"565", 16, 0xF800, 0x07E0, 0x001F, 2, PackRow565},
    {"565-swapped", 16, 0x001F, 0x07E0, 0xF800, 2, PackRow565Swapped},
    {"555", 16, 0x7C00, 0x03E0, 0x001F, 2, PackRow555},
    {"555-swapped", 16, 0x001F, 0x03E0, 0x7C00, 2, PackRow555Swapped},
};

RowConverter SelectRowConverter(uint32_t bitCount, uint32_t redMask, uint32_t greenMask,
                                uint32_t blueMask)
{
    for (const PixelFormatSpec& format : PixelFormats) {
        if (format.bitCount == bitCount && format.redMask == redMask &&
            format.greenMask == greenMask && format.blueMask == blueMask)
            return format.converter;
    }
    return nullptr;
}

const PixelFormatSpec* FindPixelFormat(const char* name)
{
    for (const PixelFormatSpec& format : PixelFormats)
        if (std::strcmp(format.name, name) == 0) return &format;
    return nullptr;
}

void ConvertFrame(const uint32_t* frame, int32_t width, int32_t height, uint8_t* destination,
                  int32_t pitch, RowConverter converter)
{
    const uint32_t* source = frame;
    uint8_t* row = destination;
    for (int32_t y = 0; y < height; ++y) {
        converter(source, row, width);
        source += width;
        row += pitch;
    }
}

}  // namespace zelvik
