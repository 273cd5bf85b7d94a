// Full-screen sine plasma: every pixel is looked up from a table of squared
// sine values, indexed by the pixel position and two phases that advance
// with the scene clock. A blue colour scheme comes first; the timeline later
// asks for a red one through PlasmaMode.
#include <cmath>
#include <cstring>

#include "canvas/canvas.h"
#include "driver/clock.h"
#include "scenes/scenes.h"

namespace zelvik {

int32_t PlasmaTable[256];

// 1: table not built, blue palette pending (armed by the set-up);
// 0: table built, blue palette in place;
// 2: red palette requested (by the timeline); 3: red palette in place.
int32_t PlasmaMode;

// sin^2 over slightly less than half a turn (3.14, not pi), scaled to
// 0 ... 119. The sine is stored as single before it is squared.
static void BuildPlasmaTable()
{
    for (int32_t i = 0; i < 256; ++i) {
        const double a = static_cast<double>(i) * 3.14 / 256.0;
        const float s = static_cast<float>(std::sin(a));
        PlasmaTable[i] = static_cast<int32_t>(static_cast<double>(120.0f) * s * s);
    }
}

// Ramp 0 ... 63 from black to the primary, 64 ... 127 from the primary
// towards white, the rest white. `blue` picks the scheme.
static void WritePlasmaPalette(bool blue)
{
    for (int32_t i = 0; i < 64; ++i) {
        if (blue)
            SetPaletteEntry(i, 0, 0, 4 * i);
        else
            SetPaletteEntry(i, 4 * i, 0, 0);
    }
    for (int32_t i = 0; i < 64; ++i) {
        if (blue)
            SetPaletteEntry(64 + i, 4 * i, 4 * i, 255);
        else
            SetPaletteEntry(64 + i, 255, 4 * i, 4 * i);
    }
    for (int32_t i = 128; i < 256; ++i) SetPaletteEntry(i, 255, 255, 255);
}

void DrawPlasma()
{
    if (PlasmaMode == 1) {
        PlasmaMode = 0;
        BuildPlasmaTable();
        WritePlasmaPalette(true);
    } else if (PlasmaMode == 2) {
        PlasmaMode = 3;
        WritePlasmaPalette(false);
    }

    const int32_t* const T = PlasmaTable;
    const double k = static_cast<double>(SceneClock);
    // Even the largest clock keeps both quotients below 2^31.
    int32_t a = static_cast<int32_t>((static_cast<int64_t>(k / 2.2) + 5) % 256);
    int32_t b = static_cast<int32_t>((static_cast<int64_t>(k / 2.5) + 9) % 256);

    for (int32_t y = 0; y < kCanvasHeight; ++y) {
        int32_t p = T[a];
        int32_t q = T[b];
        for (int32_t x = 0; x < kCanvasWidth; ++x) {
            int32_t v = T[p] + T[q] - p + q;
            while (v < 0) v += 256;
            v %= 256;
            q -= 2;
            if (q < 0) q += 256;
            p -= 1;
            if (p < 0) p += 256;
            PutPixel(x, y, T[v]);
        }
        a = (a + 2) % 256;
        b -= 1;
        if (b < 0) b += 256;
    }
}

void ZeroPlasmaState()
{
    std::memset(PlasmaTable, 0, sizeof PlasmaTable);
    PlasmaMode = 0;
}

}  // namespace zelvik
