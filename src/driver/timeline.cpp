#include "driver/timeline.h"

#include <cstring>

#include "canvas/canvas.h"
#include "canvas/sprites.h"
#include "driver/clock.h"
#include "driver/random.h"
#include "scenes/scenes.h"

namespace zelvik {

uint32_t DemoClock;
uint32_t SceneClock;
uint8_t SpriteKeyColour;
const char* SpriteSheetPath = "scene1.bmp";

// Where the key colour is read: the sheet byte at (170, 155).
static constexpr int32_t kKeyColourOffset = 170 + 320 * 155;

struct SlotRectangle {
    int32_t srcX, srcY, height, width;
};

// Slots 0-2: tall panels; 3-6: wide panels; 7: logo panel.
static constexpr SlotRectangle kSetupSlots[8] = {
    {92, 7, 127, 39},  {135, 7, 127, 39}, {176, 7, 127, 39}, {218, 7, 33, 99},
    {218, 43, 33, 99}, {218, 79, 33, 99}, {218, 115, 33, 99}, {161, 151, 49, 159},
};

void DemoSetup()
{
    ResetCanvas();
    if (SpriteSheetPath != nullptr) LoadSpriteSheet(SpriteSheetPath, SpriteSheet, 1);

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
    for (int32_t slot = 0; slot < 8; ++slot) {
        const SlotRectangle& r = kSetupSlots[slot];
        DefineSprite(slot, r.srcX, r.srcY, r.height, r.width, SpriteKeyColour, SpriteSheet);
    }

    BuildTorus();

    for (int32_t i = 0; i < 100; ++i) {
        CreditX[i] = rand() % 200 + 20;
        CreditY[i] = rand() % 90 + 30;
    }

    LastCaptionIndex = -1;
    CaptionCounter = -1;
    PlasmaMode = 1;
    FinaleFirstCall = 1;
}

void RunTimeline()
{
    const uint32_t t = DemoClock;
    if (t < 2520) {
        SceneClock = t;
        DrawIntroPanels();
    } else if (t < 3750) {
        SceneClock = t - 2520;
        DrawLightning();
        DrawCreditCaption();
    } else if (t < 3800) {
        SceneClock = t - 3750;
        FadeLetterbox();
    } else if (t < 4580) {
        // The torus's own letterbox colours, written again every frame.
        SceneClock = t - 3800;
        SetPaletteEntry(128, 0, 0, 255);
        SetPaletteEntry(129, 128, 128, 128);
        SetPaletteEntry(253, 255, 255, 255);
        SetPaletteEntry(254, 255, 255, 255);
        ClearCanvas(0);
        DrawTorus(0);
        FillLetterboxBars();
    } else if (t < 4970) {
        SceneClock = t - 3800;
        FillLetterboxMiddle();
        DrawTorus(0);
        FillLetterboxBars();
    } else if (t < 5350) {
        // The torus keeps its clock; the logo slides in on a clock of its own.
        SceneClock = t - 3800;
        ClearCanvas(0);
        DrawTorus(0);
        FillLetterboxBars();
        SceneClock = t - 5300;
        if (t > 5300) SlideInLogo();
    } else if (t < 6870) {
        SceneClock = t - 3800;
        FillLetterboxMiddle();
        DrawTorus(0);
        FillLetterboxBars();
        DrawCreditCaption();
        DrawSprite(7, 161, 151);
    } else if (t < 7635) {
        SceneClock = t - 6870;
        DrawPlasma();
    } else if (t < 8400) {
        // The torus returns over the plasma on the plasma's clock.
        SceneClock = t - 6870;
        DrawPlasma();
        DrawTorus(10);
    } else if (t < 9170) {
        SceneClock = t - 6870;
        if (PlasmaMode != 3) PlasmaMode = 2;  // ask for the red scheme
        DrawPlasma();
        DrawTorus(10);
    } else if (t < 9935) {
        SceneClock = t - 6870;
        DrawPlasma();
    } else {
        SceneClock = t - 9935;
        DrawFinale();
    }
}

void RenderFrame(uint32_t demoClock)
{
    DemoClock = demoClock;
    RunTimeline();
    ExpandCanvas();
}

void ZeroShowState()
{
    ZeroCanvasState();
    ZeroSpriteState();
    ZeroSceneState();
    DemoClock = 0;
    SceneClock = 0;
    SpriteKeyColour = 0;
}

}  // namespace zelvik
