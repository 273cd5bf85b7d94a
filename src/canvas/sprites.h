// The sprite sheet (a second indexed image of the canvas's size, loaded by
// canvas/sheet_file.h), the table of sprite slots cut from it, and keyed
// sprite drawing.
#pragma once

#include <cstdint>

#include "canvas/canvas.h"

namespace zelvik {

struct SpriteSlot {
    int32_t srcX;
    int32_t srcY;
    int32_t height;
    int32_t width;
    uint8_t key;
    const uint8_t* pixels;  // image with rows of exactly kCanvasWidth bytes; not owned
};

inline constexpr int32_t kSpriteSlotCount = 40;

extern uint8_t SpriteSheet[kCanvasSize];
extern SpriteSlot SpriteTable[kSpriteSlotCount];

// The key colour of every sprite: the sheet byte at the layout's key
// position (canvas/sheet_layout.h), read again whenever a slot is defined.
extern uint8_t SpriteKeyColour;

void DefineSprite(int32_t slot, int32_t srcX, int32_t srcY, int32_t height, int32_t width,
                  int32_t key, const uint8_t* pixels);
// Draws nothing for a slot number outside the table or a rectangle that
// does not lie within an image of the canvas's size.
void DrawSprite(int32_t slot, int32_t x, int32_t y);

// Back to the all-zero state of program start (sheet, slots, key colour).
// For tests and repeated runs in one process.
void ZeroSpriteState();

}  // namespace zelvik
