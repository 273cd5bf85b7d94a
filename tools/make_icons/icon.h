// The application icon: the logo's night-sky plate with its glowing
// horizon and perspective grid, and the logo's chrome block Z, drawn as
// pixel art for one size at a time (no picture is scaled down, so every
// size keeps hard one-pixel edges).
#pragma once

#include "picture.h"

namespace make_icons {

// Sizes the icon is drawn at, in pixels.
inline constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// Pixels per art pixel at a size: 1 up to 64 px; larger sizes are drawn
// at half their size and every art pixel becomes a 2 x 2 block, which
// keeps the look of a low-resolution screen.
int ArtScale(int size);

// The icon drawn at `art` x `art` art pixels; transparent outside the
// rounded tile.
make_sheet::Picture DrawIcon(int art);

// Each art pixel of `picture` as a `scale` x `scale` block.
make_sheet::Picture Enlarge(const make_sheet::Picture& picture, int scale);

}  // namespace make_icons
