// Every scene routine the timeline calls, and the module-level state the
// set-up arms. Each routine reads SceneClock (driver/clock.h).
#pragma once

#include <cstdint>

namespace zelvik {

// Intro panels, glyph strips, letterbox fade and logo slide-in.
void DrawIntroPanels();
void DrawGlyphStrip();
void FadeLetterbox();
void SlideInLogo();

// Lightning bolts and drifting credit captions.
extern int32_t CreditX[100];
extern int32_t CreditY[100];
extern int32_t LastCaptionIndex;
extern int32_t CaptionCounter;
void DrawLightning();
// The shape of one lightning frame before jitter: the integer centre and,
// per bolt, its flank P1, tip P2 and flank P3.
struct LightningShape {
    int32_t cx;
    int32_t cy;
    int32_t p1x[4], p1y[4];
    int32_t p2x[4], p2y[4];
    int32_t p3x[4], p3y[4];
};
void ComputeLightningShape(uint32_t sceneClock, LightningShape* shape);
void DrawCreditCaption();  // reads DemoClock, not SceneClock

// Wire torus.
struct TorusVertex {
    int32_t x;
    int32_t y;
    int32_t z;
};
struct TorusEdge {
    int32_t first;
    int32_t second;
};
struct TorusPoint {
    int32_t x;
    int32_t y;
};
inline constexpr int32_t kTorusVertexCapacity = 5000;
inline constexpr int32_t kTorusEdgeCapacity = 8000;
extern TorusVertex TorusVertices[kTorusVertexCapacity];
extern int32_t TorusVertexCount;
extern TorusEdge TorusEdges[kTorusEdgeCapacity];
extern int32_t TorusEdgeCount;
extern TorusPoint TorusScreen[kTorusVertexCapacity];
extern float TorusDepth[kTorusVertexCapacity];
void AddTorusVertex(int32_t x, int32_t y, int32_t z);
void AddTorusEdge(int32_t first, int32_t second);
void BuildTorus();
void DrawTorus(int32_t base);

// Plasma.
extern int32_t PlasmaTable[256];
extern int32_t PlasmaMode;
void DrawPlasma();

// Rotozoomer finale.
extern int32_t FinaleFirstCall;
extern uint8_t BallTexture[64 * 64];
extern const char FinaleLines[5][50];
extern float LineBaseX[5];
extern float LineBaseY[5];
extern float LineAmpX[5];
extern float LineAmpY[5];
extern float LinePhaseX[5];
extern float LinePhaseY[5];
void DrawFinale();
void BuildBallTexture();
void Rotozoom(int32_t angle, int32_t uStart, int32_t vStart);

// Back to the all-zero state of program start, for tests and repeated
// runs in one process: one per scene file that keeps state, and all of them.
void ZeroCreditState();
void ZeroTorusState();
void ZeroPlasmaState();
void ZeroFinaleState();
void ZeroSceneState();

}  // namespace zelvik
