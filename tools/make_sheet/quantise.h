// From true-colour pictures to palette indices: one palette shared by all
// the pictures (median cut, refined by a few rounds of k-means), and an
// ordered dither that mixes palette colours in a 4x4 pattern, which keeps
// gradients smooth without the crawling noise of error diffusion.
#pragma once

#include <cstdint>
#include <vector>

#include "picture.h"

namespace make_sheet {

// A palette of `size` colours: `fixed` first, in order, then colours chosen
// for the opaque pixels of `pictures`.
std::vector<Colour> BuildPalette(const std::vector<const Picture*>& pictures, int size,
                                 const std::vector<Colour>& fixed);

// Palette indices of a picture, row by row; transparent pixels get `key`.
std::vector<uint8_t> MapPicture(const Picture& picture, const std::vector<Colour>& palette,
                                uint8_t key);

}  // namespace make_sheet
