#include "show/setup.h"

#include "canvas/canvas.h"
#include "canvas/sheet_file.h"
#include "canvas/sheet_layout.h"
#include "canvas/sprites.h"
#include "driver/clock.h"
#include "driver/random.h"
#include "scenes/scenes.h"

namespace zelvik {

void DemoSetup(const char* sheetPath)
{
    ResetCanvas();
    if (sheetPath != nullptr) LoadSpriteSheet(sheetPath, SpriteSheet, 1);

    SetPaletteEntry(128, 0, 0, 0);
    SetPaletteEntry(129, 0, 0, 0);
    SetPaletteEntry(254, 255, 255, 255);
    SetPaletteEntry(253, 200, 200, 200);
    for (int32_t i = 0; i < 12; ++i) {
        const int32_t grey = 128 + 10 * i;
        SetPaletteEntry(130 + i, grey, grey, grey);
    }
    for (int32_t i = 142; i <= 252; ++i) SetPaletteEntry(i, 255, 255, 255);

    SpriteKeyColour = SpriteSheet[kKeyColourOffset];
    for (int32_t slot = 0; slot < kSheetPanelCount; ++slot) {
        const SheetRect& r = kSheetPanels[slot];
        DefineSprite(slot, r.x, r.y, r.height, r.width, SpriteKeyColour, SpriteSheet);
    }

    // The torus model, the captions' positions, the first-call work.
    ArmScenes();
}

void StartShow(uint32_t seed, const char* sheetPath)
{
    ZeroShowState();
    srand(seed);
    DemoSetup(sheetPath);
}

void ZeroShowState()
{
    ZeroCanvasState();
    ZeroSheetFileState();
    ZeroSpriteState();
    ZeroSceneState();
    DemoClock = 0;
    SceneClock = 0;
}

}  // namespace zelvik
