// Wire-frame torus: a ring of 30 sections of 20 points each, whose tube
// radius bulges four times around the ring. Built once as integer vertices
// and edges; drawn each frame rotated about z, y and x, projected in
// perspective, every edge an additive line that is stronger the nearer its
// nearer end is.
//
// Floating-point values that are held in variables are singles; every
// product, quotient, sum, sine and cosine is taken in double and rounded to
// single where the value is stored. The explicit casts below mark exactly
// those points, so the integer results come out the same on every build.
#include "scenes/torus.h"

#include <cmath>
#include <cstring>

#include "canvas/canvas.h"
#include "driver/clock.h"
#include "scenes/scenes.h"

namespace zelvik {

TorusVertex TorusVertices[kTorusVertexCapacity];
int32_t TorusVertexCount;
TorusEdge TorusEdges[kTorusEdgeCapacity];
int32_t TorusEdgeCount;
TorusPoint TorusScreen[kTorusVertexCapacity];
float TorusDepth[kTorusVertexCapacity];

// The line strength an edge gets when this vertex is its nearer end.
static int32_t VertexAmount[kTorusVertexCapacity];
// Rotated vertices (each value a single, as stored) and their depths.
static float RotatedX[kTorusVertexCapacity];
static float RotatedY[kTorusVertexCapacity];
static float RotatedD[kTorusVertexCapacity];

static constexpr int32_t kRingSections = 30;
static constexpr int32_t kTubePoints = 20;

// Truncates toward zero, saturating at the int32 range instead of
// overflowing (values beyond it only arise from vertices that sit right at
// or behind the eye, never from the built model); NaN gives 0.
static int32_t TruncateToInt32(double value)
{
    if (value != value) return 0;
    if (value >= 2147483647.0) return INT32_MAX;
    if (value <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(value);
}

void AddTorusVertex(int32_t x, int32_t y, int32_t z)
{
    TorusVertices[TorusVertexCount] = TorusVertex{x, y, z};
    ++TorusVertexCount;
}

void AddTorusEdge(int32_t first, int32_t second)
{
    TorusEdges[TorusEdgeCount] = TorusEdge{first, second};
    ++TorusEdgeCount;
}

void BuildTorus()
{
    TorusVertexCount = 0;
    TorusEdgeCount = 0;

    // Vertex 20*i + j is the j-th point of the i-th ring section.
    for (int32_t i = 0; i < kRingSections; ++i) {
        const double a = static_cast<double>(i) * 3.14 / 30.0;
        const double theta = a + a;
        const float sinTheta = static_cast<float>(std::sin(theta));
        const float cosTheta = static_cast<float>(std::cos(theta));
        const float cx = static_cast<float>(static_cast<double>(100.0f) * cosTheta);
        const float cy = static_cast<float>(static_cast<double>(100.0f) * sinTheta);
        // The bulge follows a (not theta), so it repeats four times per turn.
        const float r = static_cast<float>(std::sin(8.0 * a) * static_cast<double>(10.0f) +
                                           static_cast<double>(50.0f));
        for (int32_t j = 0; j < kTubePoints; ++j) {
            const double b = static_cast<double>(j) * 3.14 / 20.0;
            const double phi = b + b;
            const float u = static_cast<float>(std::cos(phi) * static_cast<double>(r));
            const float w = static_cast<float>(std::sin(phi) * static_cast<double>(r));
            const float ux = static_cast<float>(static_cast<double>(u) * cosTheta);
            const float uy = static_cast<float>(static_cast<double>(u) * sinTheta);
            const float x = static_cast<float>(static_cast<double>(ux) + cx);
            const float y = static_cast<float>(static_cast<double>(uy) + cy);
            AddTorusVertex(static_cast<int32_t>(x), static_cast<int32_t>(y),
                           static_cast<int32_t>(w));
        }
    }

    // Around the ring: thirty edges for each tube point, the last closing it.
    for (int32_t j = 0; j < kTubePoints; ++j) {
        for (int32_t i = 1; i < kRingSections; ++i)
            AddTorusEdge(kTubePoints * (i - 1) + j, kTubePoints * i + j);
        AddTorusEdge(kTubePoints * (kRingSections - 1) + j, j);
    }
    // Around the tube: twenty edges for each section, the last closing it.
    for (int32_t i = 0; i < kRingSections; ++i) {
        for (int32_t j = 1; j < kTubePoints; ++j)
            AddTorusEdge(kTubePoints * i + j - 1, kTubePoints * i + j);
        AddTorusEdge(kTubePoints * i + kTubePoints - 1, kTubePoints * i);
    }
}

// Rounds a double to single; every stored coordinate goes through here.
static inline float Single(double value) { return static_cast<float>(value); }

void DrawTorus(int32_t base)
{
    // The clock in hundredths of a second is read as degrees and scaled per
    // axis; constants are single, the arithmetic left to right in double.
    const double k = static_cast<double>(SceneClock);
    const double radians = k * static_cast<double>(3.14f) / static_cast<double>(180.0f);
    const float alpha = Single(radians * static_cast<double>(0.2f));
    const float beta = Single(radians * static_cast<double>(0.5f));
    const float gamma = Single(radians * static_cast<double>(0.7f));
    const double sinA = Single(std::sin(static_cast<double>(alpha)));
    const double cosA = Single(std::cos(static_cast<double>(alpha)));
    const double sinB = Single(std::sin(static_cast<double>(beta)));
    const double cosB = Single(std::cos(static_cast<double>(beta)));
    const double sinG = Single(std::sin(static_cast<double>(gamma)));
    const double cosG = Single(std::cos(static_cast<double>(gamma)));

    // First the rotation of every vertex, straight-line arithmetic in which
    // the processor overlaps successive vertices; then the projection with
    // its test of the depth.
    for (int32_t i = 0; i < TorusVertexCount; ++i) {
        const double x = static_cast<float>(TorusVertices[i].x);
        const double y = static_cast<float>(TorusVertices[i].y);
        const double z = static_cast<float>(TorusVertices[i].z);
        // About z by gamma, about y by beta, about x by alpha.
        const double x1 = Single(x * cosG - y * sinG);
        const double y1 = Single(y * cosG + x * sinG);
        const double x2 = Single(x1 * cosB - z * sinB);
        const double z1 = Single(z * cosB + x1 * sinB);
        const double z2 = Single(z1 * cosA - y1 * sinA);
        const double y2 = Single(y1 * cosA + z1 * sinA);
        RotatedX[i] = static_cast<float>(x2);
        RotatedY[i] = static_cast<float>(y2);
        RotatedD[i] = Single(z2 + 180.0);
    }
    for (int32_t i = 0; i < TorusVertexCount; ++i) {
        const double x2 = RotatedX[i];
        const double y2 = RotatedY[i];
        const float d = RotatedD[i];
        float screenX = 160.0f;
        float screenY = 100.0f;
        float depth = 1.0f;
        if (d > -500.0f) {
            const double w = static_cast<double>(d) + static_cast<double>(500.0f);
            screenX = Single(x2 * static_cast<double>(500.0f) / w + static_cast<double>(160.0f));
            screenY = Single(y2 * static_cast<double>(500.0f) / w + static_cast<double>(100.0f));
            depth = d;
        }
        TorusScreen[i] = TorusPoint{TruncateToInt32(screenX), TruncateToInt32(screenY)};
        TorusDepth[i] = depth;
    }

    // An edge's strength is a function of its nearer end's depth alone, so
    // it is worked out once per vertex rather than once per edge.
    for (int32_t i = 0; i < TorusVertexCount; ++i) {
        const double quotient = 500.0 / static_cast<double>(TorusDepth[i]);
        const double q = quotient > 100.0 ? 100.0 : static_cast<double>(Single(quotient));
        VertexAmount[i] = TruncateToInt32(static_cast<double>(base) + q);
    }

    for (int32_t e = 0; e < TorusEdgeCount; ++e) {
        const int32_t a = TorusEdges[e].first;
        const int32_t b = TorusEdges[e].second;
        // The nearer end decides; on a tie, the first end.
        const int32_t amount = TorusDepth[b] < TorusDepth[a] ? VertexAmount[b] : VertexAmount[a];
        DrawLineAdd(TorusScreen[a].x, TorusScreen[a].y, TorusScreen[b].x, TorusScreen[b].y,
                    amount);
    }
}

void DrawTorusOnLetterbox() { DrawTorus(0); }

void DrawTorusOverPlasma() { DrawTorus(10); }

void SetTorusLetterboxColours()
{
    SetPaletteEntry(kLetterboxBarColour, 0, 0, 255);
    SetPaletteEntry(kLetterboxBandColour, 128, 128, 128);
    SetPaletteEntry(253, 255, 255, 255);
    SetPaletteEntry(254, 255, 255, 255);
}

void ZeroTorusState()
{
    std::memset(TorusVertices, 0, sizeof TorusVertices);
    TorusVertexCount = 0;
    std::memset(TorusEdges, 0, sizeof TorusEdges);
    TorusEdgeCount = 0;
    std::memset(TorusScreen, 0, sizeof TorusScreen);
    std::memset(TorusDepth, 0, sizeof TorusDepth);
}

}  // namespace zelvik
