// The indexed 320x200 canvas, its palette, the clip rectangle and the
// pixel primitives every scene draws with, plus the expansion of the
// canvas into 0x00RRGGBB words for presentation.
#pragma once

#include <cstdint>

namespace zelvik {

inline constexpr int32_t kCanvasWidth = 320;
inline constexpr int32_t kCanvasHeight = 200;
inline constexpr int32_t kCanvasSize = kCanvasWidth * kCanvasHeight;

// Fixed palette indices of the letterbox fills.
inline constexpr int32_t kLetterboxBarColour = 128;
inline constexpr int32_t kLetterboxBandColour = 129;

struct ClipRectangle {
    int32_t xMin;
    int32_t xMax;
    int32_t yMin;
    int32_t yMax;
};

// Module-level state shared by the whole show; all zero at start.
extern uint8_t Canvas[kCanvasSize];
extern int32_t PaletteRed[256];
extern int32_t PaletteGreen[256];
extern int32_t PaletteBlue[256];
extern ClipRectangle ClipRect;
extern int32_t TextColour;
extern uint32_t TrueColourFrame[kCanvasSize];

void SetPaletteEntry(int32_t index, int32_t red, int32_t green, int32_t blue);
void ClearCanvas(int32_t colour);
void ResetCanvas();
void PutPixel(int32_t x, int32_t y, int32_t colour);
void AddPixel(int32_t x, int32_t y, int32_t amount);
void FillBox(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t colour);
void DrawLineAdd(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t amount);
void FillLetterbox();
void FillLetterboxMiddle();
void FillLetterboxBars();
// The canvas through the palette as 0x00RRGGBB words in the host's byte
// order: into TrueColourFrame, or into any 320x200 block of 32-bit rows
// whose row y starts at destination + y * pitch (bytes past each row's
// 1,280 are left alone).
void ExpandCanvas();
void ExpandCanvasInto(uint8_t* destination, int32_t pitch);

// Puts canvas, palette, clip rectangle, text colour and frame back to the
// all-zero state of program start. Only tests and the capture tool, which
// may run the show more than once per process, need this.
void ZeroCanvasState();

}  // namespace zelvik
