// The pictures of the sheet, each painted in true colour at its final
// size; transparent pixels are marked in the picture's mask.
#pragma once

#include <vector>

#include "picture.h"

namespace make_sheet {

// Wide panels, 99 x 33.
Picture SunsetPanel();
Picture ChessPanel();
Picture SpacePanel();
Picture AuroraPanel();

// Tall panels, 39 x 127.
Picture LighthousePanel();
Picture SphereTowerPanel();
Picture RocketPanel();

// The logo, 159 x 49. Its top-left corner is cut away at a slant, so the
// pixel (9, 4) is transparent.
Picture LogoPanel();

// The nine credit captions, 90 x 20 each, in the order they are shown.
std::vector<Picture> CaptionPictures();

}  // namespace make_sheet
