// Helpers shared by the scene and timeline tests: a sprite sheet made by
// the tests themselves, so that changes to the show's art never break them.
#pragma once

#include <cstdint>
#include <string>

#include "scenes/scenes.h"

namespace zelvik_test {

inline constexpr uint8_t kTestKey = 99;

// Colour of sprite slot s's pixels in the test sheet (slots 0-7), and of
// caption n's pixels (n = 0-8). The key colour surrounds them; every
// rectangle is filled completely, so nothing of it is transparent.
inline uint8_t SlotColour(int slot) { return static_cast<uint8_t>(10 + slot); }
inline uint8_t CaptionColour(int n) { return static_cast<uint8_t>(40 + n); }

// Writes the test sheet as a classic 320x200 8-bit BMP and returns its path
// (in a fresh temporary folder).
std::string WriteTestSheet();

// Fills SpriteSheet in memory with the same picture, without a file.
void FillTestSheet();

// Program start: every piece of the show's state back to zero.
void ZeroEverything();

// The script's row of that name; a test failure (and the first row) when
// the script has none.
const zelvik::ScriptRow& ScriptRowNamed(const char* name);

// Program start, then the show's own start-up order with the test sheet:
// srand(seed), DemoSetup. False when the sheet could not be written.
bool StartShowWithTestSheet(uint32_t seed);

}  // namespace zelvik_test
