// Scales the presented picture onto an output of any size the way a screen
// shows it: 4:3 (each canvas row 1.2 pixels tall), as large as fits,
// centred; sharp by whole numbers first (nearest neighbour), then a cheap
// blend of the two nearest pixels across and down to the picture's
// rectangle. Used by the video capture and by anything that scales the
// canvas into a 32-bit surface of its own.
//
// Pixels are 32-bit words 0x00RRGGBB in memory order (bytes B, G, R, 0) on
// both sides; any pitch. The tables are built once per output size; the
// black borders outside the picture are drawn by a separate call, once per
// size or whenever the destination was cleared, never per frame.
#pragma once

#include <cstdint>

#include "display/presentation.h"

namespace zelvik {

// A 32-bit picture in memory: width x height pixels, rows `pitch` bytes
// apart (the pitch may exceed width * 4).
struct ScalerSource {
    const uint8_t* pixels;
    int32_t width, height, pitch;
};
struct ScalerTarget {
    uint8_t* pixels;
    int32_t width, height, pitch;
};

// Builds the tables for sourceW x sourceH pictures shown on an output of
// outputW x outputH pixels. Does nothing when they are built for those
// sizes already. False when the output is too small to hold any picture
// (or a size is not positive).
bool PrepareScaler(int32_t outputW, int32_t outputH, int32_t sourceW, int32_t sourceH);

// The geometry the tables were built for (all zero before PrepareScaler).
const PresentationGeometry& ScalerGeometry();

// Writes the source scaled into the picture rectangle of the target, and
// nothing outside it. Builds the tables first when the sizes changed (the
// only time it allocates); false, writing nothing, when the target is too
// small for a picture.
bool ScalePicture(const ScalerSource& source, const ScalerTarget& target);

// Fills everything outside the picture rectangle of a target of this size
// (showing a source of sourceW x sourceH) with black.
void ClearScalerBorders(const ScalerTarget& target, int32_t sourceW, int32_t sourceH);

// Frees the tables.
void CloseScaler();

}  // namespace zelvik
