// The sprite sheet (a second 320x200 indexed image loaded from a BMP file),
// the table of sprite slots cut from it, and keyed sprite drawing.
#pragma once

#include <cstdint>

namespace zelvik {

struct SpriteSlot {
    int32_t srcX;
    int32_t srcY;
    int32_t height;
    int32_t width;
    uint8_t key;
    const uint8_t* pixels;  // image with rows of exactly 320 bytes; not owned
};

inline constexpr int32_t kSpriteSlotCount = 40;

extern uint8_t SpriteSheet[64000];
extern SpriteSlot SpriteTable[kSpriteSlotCount];

// The small data-file layer: one module-level handle, one file at a time.
int32_t OpenDataFile(const char* path);              // 0 ok, -1 failure
int32_t ReadDataFile(void* buffer, uint32_t count);  // non-zero on success
int32_t CloseDataFile();
bool DataFileIsOpen();  // whether the handle is open; for tests

// Loads a 320x200 8-bit uncompressed BMP into destination (top row first)
// and, when setPalette is non-zero, its colour table into the palette. An
// unusable file changes nothing and is reported in one line on stderr.
void LoadSpriteSheet(const char* path, uint8_t* destination, int32_t setPalette);

void DefineSprite(int32_t slot, int32_t srcX, int32_t srcY, int32_t height, int32_t width,
                  int32_t key, const uint8_t* pixels);
// Draws nothing for a slot number outside the table or a rectangle that
// does not lie within a 320x200 image.
void DrawSprite(int32_t slot, int32_t x, int32_t y);

// Back to the all-zero state of program start (sheet, slots, loader
// scratch). For tests and repeated runs in one process.
void ZeroSpriteState();

}  // namespace zelvik
