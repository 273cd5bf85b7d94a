// Full-screen sine plasma: every pixel is looked up from a table of squared
// sine values, indexed by the pixel position and two phases that advance
// with the scene clock. A blue colour scheme comes first; the timeline later
// asks for a red one through PlasmaMode.
#include "scenes/plasma.h"

#include <bit>
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

    // Pixel (x, y) has colour T[(T[p] - p + T[q] + q) mod 256], where p
    // falls by one and q by two per pixel, both wrapping within 0 ... 255,
    // from row starts p = T[a], q = T[b]. Only the sum modulo 256 matters,
    // so both halves are kept as bytes that wrap by themselves, tabulated
    // once per frame in the order a row reads them: forwards, one byte per
    // pixel. For a row starting at p0, pixel x reads falling[x + 256 - p0];
    // for q0 = 2h + parity, pixel x reads rising[parity][x + 128 - h].
    static constexpr int32_t kFallingLength = 256 + kCanvasWidth;
    static constexpr int32_t kRisingLength = 128 + kCanvasWidth;
    uint8_t falling[kFallingLength];
    uint8_t rising[2][kRisingLength];
    uint8_t colour[256];
    for (int32_t m = 0; m < kFallingLength; ++m) {
        const int32_t p = -m & 255;
        falling[m] = static_cast<uint8_t>(T[p] - p);
    }
    for (int32_t parity = 0; parity < 2; ++parity)
        for (int32_t m = 0; m < kRisingLength; ++m) {
            const int32_t q = (parity - 2 * m) & 255;
            rising[parity][m] = static_cast<uint8_t>(T[q] + q);
        }
    for (int32_t i = 0; i < 256; ++i) colour[i] = static_cast<uint8_t>(T[i]);

    // Whether whole rows lie inside the clip rectangle horizontally; a row
    // that does is written straight into the canvas, which stores the same
    // bytes as the clipped PutPixel would.
    const bool fullWidth = ClipRect.xMin <= 0 && ClipRect.xMax >= kCanvasWidth - 1;

    alignas(8) uint8_t sums[kCanvasWidth];
    for (int32_t y = 0; y < kCanvasHeight; ++y) {
        // Row starts; T holds 0 ... 119 (or 0 before it is built).
        const int32_t p0 = T[a] & 255;
        const int32_t q0 = T[b] & 255;
        const uint8_t* const fall = falling + 256 - p0;
        const uint8_t* const rise = rising[q0 & 1] + 128 - (q0 >> 1);
        // Byte additions wrap modulo 256 by themselves.
        for (int32_t x = 0; x < kCanvasWidth; ++x) sums[x] = static_cast<uint8_t>(fall[x] + rise[x]);
        if (fullWidth && y >= ClipRect.yMin && y <= ClipRect.yMax) {
            // Eight sums read as one word: the compiler keeps this lookup
            // scalar, which is faster than its emulated vector gathers.
            uint8_t* const row = Canvas + kCanvasWidth * y;
            for (int32_t x = 0; x < kCanvasWidth; x += 8) {
                uint64_t eight;
                std::memcpy(&eight, sums + x, 8);
                for (int32_t k = 0; k < 8; ++k) {
                    const int32_t shift = std::endian::native == std::endian::little ? 8 * k : 56 - 8 * k;
                    row[x + k] = colour[(eight >> shift) & 255];
                }
            }
        } else {
            for (int32_t x = 0; x < kCanvasWidth; ++x) PutPixel(x, y, colour[sums[x]]);
        }
        a = (a + 2) % 256;
        b = (b + 255) % 256;
    }
}

void ArmPlasma() { PlasmaMode = 1; }

void AskForRedPlasma()
{
    if (PlasmaMode != 3) PlasmaMode = 2;
}

void ZeroPlasmaState()
{
    std::memset(PlasmaTable, 0, sizeof PlasmaTable);
    PlasmaMode = 0;
}

}  // namespace zelvik
