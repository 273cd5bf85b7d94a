// The show's one-time set-up: the canvas, the sprite sheet and its palette,
// the fixed palette entries, the sprite slots, then each scene's own part
// (scenes/scenes.h): the torus model, the captions' random positions and
// the first-call work of the scenes.
#pragma once

#include <cstdint>

namespace zelvik {

// The sprite sheet file the show reads, in the folder it is started from.
inline constexpr const char* kSpriteSheetFile = "scene1.bmp";

// A null sheetPath loads no sheet: the show runs without its pictures.
void DemoSetup(const char* sheetPath = kSpriteSheetFile);

// Starts the show afresh as a new process would: every piece of state back
// to program start, the random generator seeded, then DemoSetup with the
// given sheet. The capture tool, the tests, the fuzzers and the benchmarks
// start the show through this.
void StartShow(uint32_t seed, const char* sheetPath);

// Everything the show keeps, back to program start.
void ZeroShowState();

}  // namespace zelvik
