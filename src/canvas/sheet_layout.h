// Where the show's pictures lie in the sprite sheet. The show cuts its
// sprites from these rectangles, the sheet generator paints its pictures
// into them, and the tests check both against this one description.
#pragma once

#include <cstdint>

#include "canvas/canvas.h"

namespace zelvik {

struct SheetRect {
    int32_t x, y, width, height;
};

// The show's sprite slots: 0-2 the tall panels, 3-6 the wide panels, 7 the
// logo, each defined once at set-up from the rectangle of the same number
// below; 8 the credit caption of the moment, defined again at each change.
inline constexpr int32_t kFirstTallPanelSlot = 0;
inline constexpr int32_t kFirstWidePanelSlot = 3;
inline constexpr int32_t kLogoSlot = 7;
inline constexpr int32_t kCaptionSlot = 8;

inline constexpr int32_t kSheetPanelCount = 8;
inline constexpr SheetRect kSheetPanels[kSheetPanelCount] = {
    {92, 7, 39, 127},  {135, 7, 39, 127}, {176, 7, 39, 127}, {218, 7, 99, 33},
    {218, 43, 99, 33}, {218, 79, 99, 33}, {218, 115, 99, 33}, {161, 151, 159, 49},
};

// The credit captions: pictures down the sheet's left edge, each with a
// spare row below it.
inline constexpr int32_t kCaptionCount = 9;
inline constexpr int32_t kCaptionWidth = 90;
inline constexpr int32_t kCaptionHeight = 20;
inline constexpr int32_t kCaptionPitch = 21;
inline constexpr SheetRect CaptionRect(int32_t n)
{
    return SheetRect{0, kCaptionPitch * n, kCaptionWidth, kCaptionHeight};
}

// The sheet byte that holds the key colour of every sprite.
inline constexpr int32_t kKeyColourX = 170;
inline constexpr int32_t kKeyColourY = 155;
inline constexpr int32_t kKeyColourOffset = kKeyColourX + kCanvasWidth * kKeyColourY;

}  // namespace zelvik
