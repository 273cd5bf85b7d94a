#include "canvas/canvas.h"

#include <algorithm>
#include <array>
#include <bit>
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

// Longest major length for which the reciprocal stepping of DrawLineAdd is
// exact: 1024^3 = 2^30 < 2^32. The canvas is far smaller.
static constexpr int64_t kShortLine = 1024;

// ceil(2^32 / n) for n = 1 ... kShortLine, worked out at compile time so
// that a line costs no division.
static constexpr auto kReciprocals = [] {
    std::array<uint64_t, kShortLine + 1> table{};
    for (uint64_t n = 1; n <= kShortLine; ++n) table[n] = ((uint64_t{1} << 32) + n - 1) / n;
    return table;
}();

// A line as DrawLineAdd walks it: step i moves majorStep along the major
// axis, and the minor coordinate of step i is (minor * i) / major,
// truncated, times minorStep.
struct LineWalk {
    bool xMajor;
    int64_t major;
    int64_t minor;
    int64_t majorStep;
    int64_t minorStep;
};

// A line whose ends both lie inside the clip rectangle (the usual case):
// every point between them is too, so no pixel needs a test. The quotient
// of step i comes from a multiplication by a rounded-up reciprocal instead
// of a running remainder, so the steps do not wait on each other: with
// n = minor * i <= major^2 and m = ceil(2^32 / major), n * m / 2^32
// exceeds n / major by less than n / 2^32 < 1 / major while major^3 < 2^32,
// too little to reach the next whole number. A line of one point (major 0)
// is its start.
static void AddLineInside(const LineWalk& w, int32_t x0, int32_t y0, int32_t amount)
{
    const uint64_t reciprocal = kReciprocals[static_cast<size_t>(w.major)];
    const int64_t straight = w.xMajor ? w.majorStep : kCanvasWidth * w.majorStep;
    const int64_t across = w.xMajor ? kCanvasWidth * w.minorStep : w.minorStep;
    uint8_t* const start = Canvas + x0 + kCanvasWidth * y0;
    uint64_t n = 0;
    for (int64_t i = 0; i <= w.major; ++i) {
        const int64_t q = static_cast<int64_t>((n * reciprocal) >> 32);
        uint8_t& pixel = start[i * straight + q * across];
        const int64_t sum = static_cast<int64_t>(pixel) + amount;
        pixel = sum > 255 ? 255 : static_cast<uint8_t>(sum);
        n += static_cast<uint64_t>(w.minor);
    }
}

// Any other line: only the steps inside the clip rectangle, found with a
// running quotient and remainder.
static void AddLineClipped(const LineWalk& w, int32_t x0, int32_t y0, int32_t amount)
{
    const bool xMajor = w.xMajor;
    const int64_t major = w.major, minor = w.minor;
    const int64_t majorStep = w.majorStep, minorStep = w.minorStep;
    if (major == 0) {
        AddPixel(x0, y0, amount);
        return;
    }
    const int64_t majorStart = xMajor ? x0 : y0;
    const int64_t minorStart = xMajor ? y0 : x0;
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

    // The minor coordinate is checked against its clip bounds step by step
    // (one unsigned comparison); the pixel's index follows both coordinates
    // and is used only when the point is inside, so AddPixel's tests need
    // not be repeated.
    const int64_t minorLo = xMajor ? ClipRect.yMin : ClipRect.xMin;
    const int64_t minorHi = xMajor ? ClipRect.yMax : ClipRect.xMax;
    if (minorHi < minorLo) return;
    const uint64_t minorSpan = static_cast<uint64_t>(minorHi - minorLo);
    const int64_t majorDelta = xMajor ? majorStep : kCanvasWidth * majorStep;
    const int64_t minorDelta = xMajor ? kCanvasWidth * minorStep : minorStep;

    int64_t quotient = 0, remainder = 0;
    if (first > 0) {
        quotient = (minor * first) / major;
        remainder = (minor * first) % major;
    }
    int64_t b = minorStart + minorStep * quotient;
    const int64_t a = majorStart + majorStep * first;
    int64_t index = xMajor ? a + kCanvasWidth * b : b + kCanvasWidth * a;
    for (int64_t i = first; i <= last; ++i) {
        if (static_cast<uint64_t>(b - minorLo) <= minorSpan) {
            uint8_t& pixel = Canvas[index];
            // As AddPixel: saturate at the top, formed in 64 bits.
            const int64_t sum = static_cast<int64_t>(pixel) + amount;
            pixel = sum > 255 ? 255 : static_cast<uint8_t>(sum);
        }
        // minor <= major, so one subtraction keeps the remainder in range;
        // the carry is a mask, as above.
        remainder += minor;
        const int64_t carry = -static_cast<int64_t>(remainder >= major);
        remainder -= major & carry;
        b += minorStep & carry;
        index += majorDelta + (minorDelta & carry);
    }
}

void DrawLineAdd(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t amount)
{
    // No error term is carried in the definition of the line: the minor
    // coordinate of step i is (minorLength * i) / majorLength, truncated,
    // so a line and its reverse may cover different pixels. The two walks
    // above get exactly those points without a division per pixel. Steps whose
    // major coordinate lies outside the clip rectangle are skipped, since
    // AddPixel would drop them anyway. 64-bit values keep far-off end
    // points from overflowing.
    const int64_t dx = int64_t{x1} - x0;
    const int64_t dy = int64_t{y1} - y0;
    const int64_t adx = dx < 0 ? -dx : dx;
    const int64_t ady = dy < 0 ? -dy : dy;
    const int64_t sx = (dx > 0) - (dx < 0);
    const int64_t sy = (dy > 0) - (dy < 0);
    // x-major when adx > ady, else y-major (which includes adx == ady).
    const bool xMajor = adx > ady;
    const int64_t major = xMajor ? adx : ady;
    const int64_t minor = xMajor ? ady : adx;
    const int64_t majorStep = xMajor ? sx : sy;
    const int64_t minorStep = xMajor ? sy : sx;

    const LineWalk walk{xMajor, major, minor, majorStep, minorStep};
    const bool endsInside = std::min(x0, x1) >= ClipRect.xMin && std::max(x0, x1) <= ClipRect.xMax &&
                            std::min(y0, y1) >= ClipRect.yMin && std::max(y0, y1) <= ClipRect.yMax;
    if (endsInside && major <= kShortLine)
        AddLineInside(walk, x0, y0, amount);
    else
        AddLineClipped(walk, x0, y0, amount);
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

void ExpandCanvasInto(uint8_t* __restrict destination, int32_t pitch)
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
    // Eight indices are read as one word and taken apart with shifts. Plain
    // code, and also a shape the compiler leaves scalar: a per-byte loop is
    // turned into emulated vector gathers, which are half as fast. Words
    // are stored in the host's order through memcpy, so a surface row need
    // not be aligned.
    static_assert(kCanvasWidth % 8 == 0);
    const uint8_t* in = Canvas;
    uint8_t* row = destination;
    for (int32_t y = 0; y < kCanvasHeight; ++y) {
        for (int32_t x = 0; x < kCanvasWidth; x += 8) {
            uint64_t eight;
            std::memcpy(&eight, in + x, 8);
            uint8_t* out = row + 4 * x;
            for (int32_t k = 0; k < 8; ++k) {
                // Byte k of the word: at bit 8k on a little-endian host.
                const int32_t shift = std::endian::native == std::endian::little ? 8 * k : 56 - 8 * k;
                const uint32_t word = words[(eight >> shift) & 255];
                std::memcpy(out + 4 * k, &word, 4);
            }
        }
        in += kCanvasWidth;
        row += pitch;
    }
}

void ExpandCanvas()
{
    ExpandCanvasInto(reinterpret_cast<uint8_t*>(TrueColourFrame), kCanvasWidth * 4);
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
