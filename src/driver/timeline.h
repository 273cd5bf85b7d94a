// The show's one-time set-up and its script: which scene draws at which
// demo clock.
#pragma once

#include <cstdint>

namespace zelvik {

// The SpriteSheet byte at (170, 155): the key colour of every sprite.
extern uint8_t SpriteKeyColour;

// The show's sprite sheet file; the capture tool may point it elsewhere.
// nullptr when there is none to load: the show runs without its pictures.
extern const char* SpriteSheetPath;

void DemoSetup();
void RunTimeline();

// The shared frame pipeline of the live show and the capture tool: set the
// demo clock, draw the scene of that moment, expand the canvas.
void RenderFrame(uint32_t demoClock);

// Everything the show keeps back to program start, so that a process can
// run the show again from srand + DemoSetup (tests, capture tool).
void ZeroShowState();

}  // namespace zelvik
