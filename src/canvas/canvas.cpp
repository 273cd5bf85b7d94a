#include "canvas/canvas.h"

#include <algorithm>
#include <cstring>

namespace zelvik {

uint8_t Canvas[kCanvasSize];
int32_t PaletteRed[256];
int32_t PaletteGreen[256];
int32_t PaletteBlue[256];
ClipRectangle ClipRect;
int32_t TextColour;
uint32_t TrueColourFrame[kCanvasSize];

// Byte ranges of the letterbox: two 16-row bars around a 168-row band.
static constexpr int32_t kTopBarEnd = 16 * kCanvasWidth;        // 5,120
static constexpr int32_t kBottomBarStart = 184 * kCanvasWidth;  // 58,880

void SetPaletteEntry(int32_t index, int32_t red, int32_t green, int32_t blue)
{
    PaletteRed[index] = red;
    PaletteGreen[index] = green;
    PaletteBlue[index] = blue;
}

void ClearCanvas(int32_t colour)
{
    // The byte replicated into every position; memset does the word stores.
    std::memset(Canvas, colour & 0xFF, sizeof Canvas);
}

void ResetCanvas()
{
    ClearCanvas(0);
    ClipRect.xMin = 0;
    ClipRect.xMax = kCanvasWidth - 1;
    ClipRect.yMin = 0;
    ClipRect.yMax = kCanvasHeight - 1;
    TextColour = 15;
}

void PutPixel(int32_t x, int32_t y, int32_t colour)
{
    if (x < ClipRect.xMin) return;
    if (x > ClipRect.xMax) return;
    if (y < ClipRect.yMin) return;
    if (y > ClipRect.yMax) return;
    Canvas[x + kCanvasWidth * y] = static_cast<uint8_t>(colour);
}

void AddPixel(int32_t x, int32_t y, int32_t amount)
{
    if (x < ClipRect.xMin) return;
    if (x > ClipRect.xMax) return;
    if (y < ClipRect.yMin) return;
    if (y > ClipRect.yMax) return;
    uint8_t& pixel = Canvas[x + kCanvasWidth * y];
    // Saturates only at the top; a negative amount wraps through the low
    // 8 bits, as additive drawing never subtracts in the show. The sum is
    // formed in 64 bits so that an extreme amount cannot overflow.
    const int64_t sum = static_cast<int64_t>(pixel) + amount;
    pixel = sum > 255 ? 255 : static_cast<uint8_t>(sum);
}

void FillBox(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t colour)
{
    // Reject boxes wholly off the canvas (fixed bounds, not the clip).
    if (x0 < 0 && x1 < 0) return;
    if (x0 > kCanvasWidth - 1 && x1 > kCanvasWidth - 1) return;
    if (y0 < 0 && y1 < 0) return;
    if (y0 > kCanvasHeight - 1 && y1 > kCanvasHeight - 1) return;
    const int32_t xLo = x0 < x1 ? x0 : x1;
    const int32_t xHi = x0 < x1 ? x1 : x0;
    const int32_t yLo = y0 < y1 ? y0 : y1;
    const int32_t yHi = y0 < y1 ? y1 : y0;
    // Every point of the box goes through the clip test; column-major order
    // does not change the result, as each pixel is stored once.
    for (int64_t x = xLo; x <= xHi; ++x)
        for (int64_t y = yLo; y <= yHi; ++y)
            PutPixel(static_cast<int32_t>(x), static_cast<int32_t>(y), colour);
}

void DrawLineAdd(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t amount)
{
    // No error term is carried in the definition of the line: the minor
    // coordinate of step i is (minorLength * i) / majorLength, truncated,
    // so a line and its reverse may cover different pixels. The loop below
    // gets exactly those points without a division per pixel, keeping the
    // quotient and remainder of that division as i advances. Steps whose
    // major coordinate lies outside the clip rectangle are skipped, since
    // AddPixel would drop them anyway. 64-bit values keep far-off end
    // points from overflowing.
    const int64_t adx = x1 > x0 ? int64_t{x1} - x0 : int64_t{x0} - x1;
    const int64_t ady = y1 > y0 ? int64_t{y1} - y0 : int64_t{y0} - y1;
    const int64_t sx = adx == 0 ? 0 : (x1 > x0 ? 1 : -1);
    const int64_t sy = ady == 0 ? 0 : (y1 > y0 ? 1 : -1);
    if (adx + ady == 0) {
        AddPixel(x0, y0, amount);
        return;
    }

    // x-major when adx > ady, else y-major (which includes adx == ady).
    const bool xMajor = adx > ady;
    const int64_t major = xMajor ? adx : ady;
    const int64_t minor = xMajor ? ady : adx;
    const int64_t majorStart = xMajor ? x0 : y0;
    const int64_t majorStep = xMajor ? sx : sy;
    const int64_t minorStart = xMajor ? y0 : x0;
    const int64_t minorStep = xMajor ? sy : sx;
    const int64_t clipLo = xMajor ? ClipRect.xMin : ClipRect.yMin;
    const int64_t clipHi = xMajor ? ClipRect.xMax : ClipRect.yMax;

    // Steps i in [first, last] have their major coordinate inside the clip.
    int64_t first = 0, last = major;
    if (majorStep > 0) {
        first = std::max(first, clipLo - majorStart);
        last = std::min(last, clipHi - majorStart);
    } else {
        first = std::max(first, majorStart - clipHi);
        last = std::min(last, majorStart - clipLo);
    }
    if (first > last) return;

    int64_t quotient = (minor * first) / major;
    int64_t remainder = (minor * first) % major;
    for (int64_t i = first; i <= last; ++i) {
        const int64_t a = majorStart + majorStep * i;
        const int64_t b = minorStart + minorStep * quotient;
        if (xMajor)
            AddPixel(static_cast<int32_t>(a), static_cast<int32_t>(b), amount);
        else
            AddPixel(static_cast<int32_t>(b), static_cast<int32_t>(a), amount);
        // minor <= major, so one subtraction keeps the remainder in range;
        // written without a branch, as the carry follows no pattern.
        remainder += minor;
        const int64_t carry = remainder >= major ? 1 : 0;
        remainder -= carry * major;
        quotient += carry;
    }
}

void FillLetterbox()
{
    std::memset(Canvas, kLetterboxBarColour, kTopBarEnd);
    std::memset(Canvas + kTopBarEnd, kLetterboxBandColour, kBottomBarStart - kTopBarEnd);
    std::memset(Canvas + kBottomBarStart, kLetterboxBarColour, kCanvasSize - kBottomBarStart);
}

void FillLetterboxMiddle()
{
    std::memset(Canvas + kTopBarEnd, kLetterboxBandColour, kBottomBarStart - kTopBarEnd);
}

void FillLetterboxBars()
{
    std::memset(Canvas, kLetterboxBarColour, kTopBarEnd);
    std::memset(Canvas + kBottomBarStart, kLetterboxBarColour, kCanvasSize - kBottomBarStart);
}

void ExpandCanvas()
{
    // Combine the palette once into 256 ready words, then the per-pixel work
    // is one table read. The palette is read here, so a change anywhere in
    // the frame applies to the whole frame. Components are combined as
    // stored, without masking.
    uint32_t words[256];
    for (int32_t k = 0; k < 256; ++k)
        words[k] = (static_cast<uint32_t>(PaletteRed[k]) << 16) |
                   (static_cast<uint32_t>(PaletteGreen[k]) << 8) |
                   static_cast<uint32_t>(PaletteBlue[k]);
    for (int32_t i = 0; i < kCanvasSize; ++i)
        TrueColourFrame[i] = words[Canvas[i]];
}

void ZeroCanvasState()
{
    std::memset(Canvas, 0, sizeof Canvas);
    std::memset(PaletteRed, 0, sizeof PaletteRed);
    std::memset(PaletteGreen, 0, sizeof PaletteGreen);
    std::memset(PaletteBlue, 0, sizeof PaletteBlue);
    ClipRect = ClipRectangle{0, 0, 0, 0};
    TextColour = 0;
    std::memset(TrueColourFrame, 0, sizeof TrueColourFrame);
}

}  // namespace zelvik
