// The sprite sheet, the table of sprite slots cut from it, and keyed
// sprite drawing.
#include "canvas/sprites.h"

#include <cstring>

#include "canvas/canvas.h"

namespace zelvik {

uint8_t SpriteSheet[kCanvasSize];
SpriteSlot SpriteTable[kSpriteSlotCount];
uint8_t SpriteKeyColour;

static constexpr int32_t kRowBytes = kCanvasWidth;
static constexpr int32_t kRows = kCanvasHeight;

static bool ValidSlot(int32_t slot) { return slot >= 0 && slot < kSpriteSlotCount; }

void DefineSprite(int32_t slot, int32_t srcX, int32_t srcY, int32_t height, int32_t width,
                  int32_t key, const uint8_t* pixels)
{
    if (!ValidSlot(slot)) return;
    SpriteSlot& s = SpriteTable[slot];
    s.srcX = srcX;
    s.srcY = srcY;
    s.height = height;
    s.width = width;
    s.key = static_cast<uint8_t>(key);
    s.pixels = pixels;
}

void DrawSprite(int32_t slot, int32_t x, int32_t y)
{
    if (!ValidSlot(slot)) return;
    const SpriteSlot& s = SpriteTable[slot];
    if (s.width <= 0 || s.height <= 0 || s.pixels == nullptr) return;
    // The source rectangle must lie inside the image; anything else
    // would read outside it.
    if (s.srcX < 0 || s.srcY < 0 || s.width > kRowBytes - s.srcX ||
        s.height > kRows - s.srcY)
        return;

    // One clip test per source pixel through PutPixel, so a sprite may stand
    // partly or wholly off the canvas. Positions are formed in 64 bits; one
    // beyond the 32-bit range cannot be on the canvas and is skipped.
    const uint8_t* source = s.pixels + kRowBytes * s.srcY + s.srcX;
    for (int64_t row = y; row < int64_t{y} + s.height; ++row) {
        for (int64_t column = x; column < int64_t{x} + s.width; ++column) {
            const uint8_t byte = *source++;
            if (byte == s.key) continue;
            if (column > INT32_MAX || row > INT32_MAX) continue;
            PutPixel(static_cast<int32_t>(column), static_cast<int32_t>(row), byte);
        }
        source += kRowBytes - s.width;
    }
}

void ZeroSpriteState()
{
    std::memset(SpriteSheet, 0, sizeof SpriteSheet);
    std::memset(SpriteTable, 0, sizeof SpriteTable);
    SpriteKeyColour = 0;
}

}  // namespace zelvik
