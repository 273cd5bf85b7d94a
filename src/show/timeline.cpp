#include "show/timeline.h"

#include "canvas/canvas.h"
#include "canvas/sheet_layout.h"
#include "canvas/sprites.h"
#include "display/display.h"
#include "driver/clock.h"
#include "scenes/scenes.h"

namespace zelvik {

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
        DrawSprite(kLogoSlot, 161, 151);
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
    } else if (t < kFinaleStartClock) {
        SceneClock = t - 6870;
        DrawPlasma();
    } else {
        SceneClock = t - kFinaleStartClock;
        DrawFinale();
    }
}

void RenderFrame(uint32_t demoClock)
{
    DemoClock = demoClock;
    RunTimeline();
    ExpandCanvas();
}

int PresentShowFrame(uint32_t demoClock)
{
    DemoClock = demoClock;
    RunTimeline();
    if (DisplayWidth != kCanvasWidth || DisplayHeight != kCanvasHeight) {
        // A display of another size gets the frame PresentFrame's way.
        ExpandCanvas();
        return PresentFrame(TrueColourFrame);
    }
    return PresentFrameFrom(ExpandCanvasInto, TrueColourFrame);
}

}  // namespace zelvik
