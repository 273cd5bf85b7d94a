// The opening: a letterbox with two scrolling strips of "0"/"1" glyphs and
// picture panels that slide in and out at the top left, plus the two short
// transitions built from the same pieces (the band fade and the logo
// slide-in).
//
// Number rules of these routines: the constants 3.14, 210, 630, 255, 128,
// 200 and 50, the canvas width and the logo's width are single precision
// (so 3.14 is 3.1400001); the panel offsets (the wide panel's width and
// height, the tall panel's height) are double; arithmetic runs in double;
// values stored as single are rounded there; integers truncate.
#include "scenes/intro.h"

#include <algorithm>
#include <cmath>

#include "canvas/canvas.h"
#include "canvas/font.h"
#include "canvas/sheet_layout.h"
#include "canvas/sprites.h"
#include "driver/clock.h"
#include "scenes/scenes.h"

namespace zelvik {

static constexpr double kPi = static_cast<double>(3.14f);

// Panel slots by cycle: the wide panel W, in sheet order, and the tall
// panel T shown with it.
static constexpr int32_t kWidePanel[4] = {kFirstWidePanelSlot, kFirstWidePanelSlot + 1,
                                          kFirstWidePanelSlot + 2, kFirstWidePanelSlot + 3};
static constexpr int32_t kTallPanel[4] = {kFirstTallPanelSlot + 2, kFirstTallPanelSlot + 1,
                                          kFirstTallPanelSlot, kFirstTallPanelSlot + 1};

// The panels' sizes, which the slides move them by (all wide panels are
// alike, and so are all tall ones).
static constexpr double kWideWidth = kSheetPanels[kFirstWidePanelSlot].width;
static constexpr double kWideHeight = kSheetPanels[kFirstWidePanelSlot].height;
static constexpr double kTallHeight = kSheetPanels[kFirstTallPanelSlot].height;

// The logo rests in the canvas's bottom right corner.
static constexpr SheetRect kLogo = kSheetPanels[kLogoSlot];
static constexpr int32_t kLogoRestX = kCanvasWidth - kLogo.width;
static constexpr int32_t kLogoRestY = kCanvasHeight - kLogo.height;

void DrawGlyphStrip()
{
    SetTextColour(254);
    const uint32_t s = SceneClock >> 2;  // 25 pixels per second

    // The column at x = 280 moves up; "0" and "1" alternate every 16 rows.
    const int32_t v = -static_cast<int32_t>(s % 32);
    for (int32_t i = 0; i < 8; ++i) {
        DrawChar(280, 32 * i + v, '0');
        DrawChar(280, 32 * i + v + 16, '1');
    }

    // The row at y = 140 moves right; "0" and "1" alternate every 8 columns.
    const int32_t w = static_cast<int32_t>(s % 16) - 16;
    for (int32_t i = 0; i < 21; ++i) {
        DrawChar(16 * i + w, 140, '0');
        DrawChar(16 * i + w + 8, 140, '1');
    }

    // The light-grey square over the crossing hides both strips there.
    FillBox(264, 124, 296, 156, 253);
}

void DrawIntroPanels()
{
    FillLetterbox();
    DrawGlyphStrip();

    const uint32_t t = SceneClock;
    const uint32_t cycle = t / 630;
    const uint32_t r = t % 630;
    const uint32_t phase = r / 105;
    const uint32_t u = r % 105;
    if (cycle > 3) return;

    const int32_t wide = kWidePanel[cycle];
    const int32_t tall = kTallPanel[cycle];

    if (cycle == 3) {
        // The last cycle fades the bars to blue, the band to grey, and the
        // strips and the square to black.
        const float f = static_cast<float>(static_cast<double>(r) / static_cast<double>(630.0f));
        SetPaletteEntry(128, 0, 0, static_cast<int32_t>(static_cast<double>(255.0f) * f));
        const float g = static_cast<float>(static_cast<double>(128.0f) * f);
        SetPaletteEntry(129, static_cast<int32_t>(g), static_cast<int32_t>(g), static_cast<int32_t>(g));
        const float h = static_cast<float>(static_cast<double>(255.0f) - static_cast<double>(255.0f) * f);
        SetPaletteEntry(254, static_cast<int32_t>(h), static_cast<int32_t>(h), static_cast<int32_t>(h));
        const float z = static_cast<float>(static_cast<double>(200.0f) - static_cast<double>(200.0f) * f);
        SetPaletteEntry(253, static_cast<int32_t>(z), static_cast<int32_t>(z), static_cast<int32_t>(z));
    }

    // A quarter turn less a little over each 105-hundredth phase, so every
    // movement stops one pixel short and the next phase makes the last step.
    const float a = static_cast<float>(static_cast<double>(u) * kPi / static_cast<double>(210.0f));
    const double s = std::sin(static_cast<double>(a));

    switch (phase) {
    case 0:  // W slides in from the left
        DrawSprite(wide, static_cast<int32_t>(s * kWideWidth - kWideWidth), 0);
        break;
    case 1:  // T drops out from under W
        DrawSprite(tall, 0, static_cast<int32_t>(s * kTallHeight - (kTallHeight - kWideHeight)));
        DrawSprite(wide, 0, 0);
        break;
    case 2:  // both at rest
        DrawSprite(wide, 0, 0);
        DrawSprite(tall, 0, static_cast<int32_t>(kWideHeight));
        break;
    case 3:  // T rises back under W
        DrawSprite(tall, 0, static_cast<int32_t>(kWideHeight - s * kTallHeight));
        DrawSprite(wide, 0, 0);
        break;
    case 4:  // W slides out to the left
        DrawSprite(wide, static_cast<int32_t>(-kWideWidth * s), 0);
        break;
    default:  // only the strips show
        break;
    }
}

// Both transitions last 50 hundredths. The timeline never runs them longer;
// should they be, they hold their end state (a black band, the logo at
// rest) instead of driving a colour below 0 or a position out of range.
static constexpr uint32_t kTransitionLength = 50;

void FadeLetterbox()
{
    FillLetterbox();
    const uint32_t k = std::min(SceneClock, kTransitionLength);
    const float v = static_cast<float>(static_cast<double>(128.0f) -
                                       static_cast<double>(k) * static_cast<double>(128.0f) /
                                           static_cast<double>(50.0f));
    const int32_t grey = static_cast<int32_t>(v);
    SetPaletteEntry(129, grey, grey, grey);
}

void SlideInLogo()
{
    const uint32_t k = std::min(SceneClock, kTransitionLength);
    const float f = static_cast<float>(static_cast<double>(k) / static_cast<double>(50.0f));
    const double right = static_cast<float>(kCanvasWidth);
    const double width = static_cast<float>(kLogo.width);
    DrawSprite(kLogoSlot, static_cast<int32_t>(right - width * f), kLogoRestY);
}

void DrawLogoAtRest() { DrawSprite(kLogoSlot, kLogoRestX, kLogoRestY); }

}  // namespace zelvik
