// The scenes and the show's script.
//
// Each scene is one file in this folder behind a small interface: a routine
// that puts its state back to program start (zero), its part of the show's
// one-time set-up (arm), and the routines that draw it, each from
// SceneClock (driver/clock.h). The scenes' own pieces, for tests and tools,
// are in one header per scene.
//
// The script is one table of rows: the demo clock from which a row runs,
// what runs, the demo clock its scene clock counts from, and its steps in
// order. show/timeline.h runs it; the tools and tests read it.
#pragma once

#include <cstdint>

#include "canvas/canvas.h"

namespace zelvik {

// --- The scenes -----------------------------------------------------------

// Intro panels and glyph strips, the letterbox fade, the logo's slide-in
// and the logo at rest in the bottom right corner. Keeps no state.
void DrawIntroPanels();
void FadeLetterbox();
void SlideInLogo();
void DrawLogoAtRest();

// Lightning bolts and drifting credit captions. The arm draws the
// captions' random positions.
extern int32_t CreditX[100];
extern int32_t CreditY[100];
extern int32_t LastCaptionIndex;
extern int32_t CaptionCounter;
void ZeroCreditState();
void ArmCredits();
void DrawLightning();
void DrawCreditCaption();  // reads DemoClock, not SceneClock

// Wire torus: the arm builds the model. The palette of its first range is
// its own: blue bars around a grey band, the glyph colours white.
void ZeroTorusState();
void BuildTorus();
void DrawTorus(int32_t base);
void DrawTorusOnLetterbox();  // DrawTorus(0)
void DrawTorusOverPlasma();   // DrawTorus(10)
void SetTorusLetterboxColours();

// Plasma: mode 1 asks for set-up on the next call, 2 for the red scheme.
extern int32_t PlasmaMode;
void ZeroPlasmaState();
void ArmPlasma();
void DrawPlasma();
void AskForRedPlasma();  // mode 2 unless the red scheme is already in place

// Rotozoomer finale: set-up on the first call after the arm.
extern int32_t FinaleFirstCall;
void ZeroFinaleState();
void ArmFinale();
void DrawFinale();

// A whole canvas of colour 0.
inline void ClearToBlack() { ClearCanvas(0); }

struct Scene {
    const char* name;
    void (*zero)();  // its state back to program start; null: it keeps none
    void (*arm)();   // its part of the show's one-time set-up; null: none
};

// Zeroed and armed in this order (only the credits draw random numbers).
inline constexpr Scene kScenes[] = {
    {"intro", nullptr, nullptr},
    {"lightning and credits", ZeroCreditState, ArmCredits},
    {"torus", ZeroTorusState, BuildTorus},
    {"plasma", ZeroPlasmaState, ArmPlasma},
    {"finale", ZeroFinaleState, ArmFinale},
};

// Every scene's zero, then every scene's arm, in the order above.
void ZeroSceneState();
void ArmScenes();

// --- The script -----------------------------------------------------------

struct ScriptStep {
    void (*run)();
    // 0: the step runs on its row's scene clock. Otherwise the demo clock
    // from which this step's own scene clock counts: the step sets it and
    // runs only once the demo clock has passed it (later steps keep it).
    uint32_t ownOrigin = 0;
};

inline constexpr int32_t kMaxScriptSteps = 5;

struct ScriptRow {
    uint32_t start;   // the row runs from here up to the next row's start
    const char* name;
    uint32_t origin;  // SceneClock = demo clock - origin
    ScriptStep steps[kMaxScriptSteps];  // in order, up to the first empty one
};

// The last row runs for ever.
inline constexpr ScriptRow kScript[] = {
    {0, "intro panels", 0, {{DrawIntroPanels}}},
    {2520, "lightning + credits", 2520, {{DrawLightning}, {DrawCreditCaption}}},
    {3750, "letterbox fade", 3750, {{FadeLetterbox}}},
    {3800, "torus, blue bars", 3800,
     {{SetTorusLetterboxColours}, {ClearToBlack}, {DrawTorusOnLetterbox}, {FillLetterboxBars}}},
    {4580, "torus on band", 3800, {{FillLetterboxMiddle}, {DrawTorusOnLetterbox}, {FillLetterboxBars}}},
    // The torus keeps its clock; the logo slides in on a clock of its own.
    {4970, "torus + logo slide", 3800,
     {{ClearToBlack}, {DrawTorusOnLetterbox}, {FillLetterboxBars}, {SlideInLogo, 5300}}},
    {5350, "torus + credits + logo", 3800,
     {{FillLetterboxMiddle}, {DrawTorusOnLetterbox}, {FillLetterboxBars}, {DrawCreditCaption}, {DrawLogoAtRest}}},
    {6870, "blue plasma", 6870, {{DrawPlasma}}},
    // The torus returns over the plasma on the plasma's clock.
    {7635, "plasma + torus", 6870, {{DrawPlasma}, {DrawTorusOverPlasma}}},
    {8400, "red plasma + torus", 6870, {{AskForRedPlasma}, {DrawPlasma}, {DrawTorusOverPlasma}}},
    {9170, "red plasma", 6870, {{DrawPlasma}}},
    {9935, "finale", 9935, {{DrawFinale}}},
};
inline constexpr int32_t kScriptRowCount = static_cast<int32_t>(sizeof kScript / sizeof kScript[0]);

// The demo clock at which the last row, the finale, starts; it runs from
// there for ever.
inline constexpr uint32_t kFinaleStartClock = kScript[kScriptRowCount - 1].start;

// The first demo clock after row i (the last row has none: 0).
inline constexpr uint32_t ScriptRowEnd(int32_t i) { return i + 1 < kScriptRowCount ? kScript[i + 1].start : 0; }

// The row that runs at demoClock.
inline constexpr const ScriptRow& ScriptRowAt(uint32_t demoClock)
{
    int32_t i = kScriptRowCount - 1;
    while (kScript[i].start > demoClock) --i;
    return kScript[i];
}

}  // namespace zelvik
