// Scales the presented picture to a video frame the way the live display
// scales it onto a screen: 4:3 (each canvas row 1.2 pixels tall), as large
// as fits, centred on black; sharp by whole numbers first (nearest
// neighbour), then smoothly (bilinear) to the picture's rectangle.
#pragma once

#include <cstdint>
#include <string>

#include "display/presentation.h"

namespace zelvik {

// Prepares scaling of sourceW x sourceH pictures into outputW x outputH
// frames. Returns "" or why not.
std::string OpenVideoScaler(int32_t outputW, int32_t outputH, int32_t sourceW, int32_t sourceH);

// The geometry in use.
const PresentationGeometry& VideoScalerGeometry();

// Scales one picture of 32-bit pixels (0x00RRGGBB words, rows `pitch`
// bytes apart) and returns the frame: outputW x outputH words of the same
// layout, rows outputW * 4 bytes apart, valid until the next call.
const uint8_t* ScaleVideoPicture(const uint8_t* pixels, int32_t pitch);

void CloseVideoScaler();

}  // namespace zelvik
