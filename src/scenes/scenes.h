// The scene routines the timeline calls and the state the show's set-up
// arms. Each routine reads SceneClock (driver/clock.h). The scenes' own
// pieces, for tests and tools, are in one header per scene.
#pragma once

#include <cstdint>

namespace zelvik {

// Intro panels and glyph strips, the letterbox fade and the logo slide-in.
void DrawIntroPanels();
void FadeLetterbox();
void SlideInLogo();

// Lightning bolts and drifting credit captions; the set-up draws the
// captions' random positions.
extern int32_t CreditX[100];
extern int32_t CreditY[100];
extern int32_t LastCaptionIndex;
extern int32_t CaptionCounter;
void DrawLightning();
void DrawCreditCaption();  // reads DemoClock, not SceneClock

// Wire torus: the set-up builds the model.
void BuildTorus();
void DrawTorus(int32_t base);

// Plasma: mode 1 asks for set-up on the next call, 2 for the red scheme.
extern int32_t PlasmaMode;
void DrawPlasma();

// Rotozoomer finale: set-up on the first call after FinaleFirstCall = 1.
extern int32_t FinaleFirstCall;
void DrawFinale();

// Back to the all-zero state of program start, for tests and repeated runs
// in one process.
void ZeroSceneState();

}  // namespace zelvik
