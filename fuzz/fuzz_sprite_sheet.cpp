// Fuzz target: the input is the sprite sheet file. It goes through the
// show's own set-up (load, palette, key colour, slots), then every slot is
// drawn, on and off the canvas. (Whole frames would add nothing the slots
// do not cover, at a hundred times the cost.) Beyond the sanitizers'
// checks, the target insists that the loader never leaves the file open
// and never puts a value outside 0-255 into the palette.
#include <cstdint>
#include <cstdlib>

#include "canvas/canvas.h"
#include "canvas/sprites.h"
#include "driver/data_file.h"
#include "driver/random.h"
#include "show/setup.h"
#include "show/timeline.h"
#include "fuzz_input_file.h"

using namespace zelvik;

namespace {

void Check(bool condition)
{
    if (!condition) std::abort();
}

// Top-left corners that put a sprite on the canvas, partly off it on
// either side, and at the ends of the coordinate range.
constexpr int32_t kPositions[][2] = {{161, 151}, {-10, -20}, {300, 190}, {INT32_MAX - 5, INT32_MIN}};

void DrawEverySlot()
{
    for (int32_t slot = 0; slot < kSpriteSlotCount; ++slot)
        for (const auto& p : kPositions) DrawSprite(slot, p[0], p[1]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    StartShow(1, fuzzing::InputAsFile(data, size));
    Check(!DataFileIsOpen());
    for (int i = 0; i < 256; ++i) {
        Check(PaletteRed[i] >= 0 && PaletteRed[i] <= 255);
        Check(PaletteGreen[i] >= 0 && PaletteGreen[i] <= 255);
        Check(PaletteBlue[i] >= 0 && PaletteBlue[i] <= 255);
    }

    DrawEverySlot();
    // The caption pictures, as the credits cut them, including the rows
    // past the sheet's end that a long show would ask for.
    for (int32_t n = 0; n < 12; ++n) {
        DefineSprite(8, 0, 21 * n, 20, 90, SpriteKeyColour, SpriteSheet);
        DrawSprite(8, 40, 60);
    }
    return 0;
}
