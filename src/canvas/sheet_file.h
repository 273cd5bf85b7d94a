// Loading the sprite sheet file.
#pragma once

#include <cstdint>

namespace zelvik {

// Loads a 320x200 8-bit BMP (uncompressed or RLE8, rows bottom-up or
// top-down) into destination (top row first)
// and, when setPalette is non-zero, its colour table into the palette. An
// unusable file changes nothing and is reported in one line on stderr.
void LoadSpriteSheet(const char* path, uint8_t* destination, int32_t setPalette);

// Back to the state of program start (loader scratch, data-file handle).
void ZeroSheetFileState();

}  // namespace zelvik
