// Where the show's picture goes on an output of any size: the geometry the
// full-screen display and the video capture share, so that both scale the
// canvas the same way.
#pragma once

#include <cstdint>

namespace zelvik {

struct PixelRect {
    int32_t x, y, w, h;
};

// Where the picture goes in an output of outputW x outputH pixels: each
// canvas row 1.2 pixels tall (a 320 x 200 picture shows at 4:3), as large
// as fits, centred, black borders elsewhere. The picture is first scaled
// by whole numbers to upscaledW x upscaledH (at least the picture's size
// where the texture limit allows), then smoothly to the picture rectangle.
struct PresentationGeometry {
    int32_t upscaledW, upscaledH;
    PixelRect picture;
};
PresentationGeometry ComputePresentation(int32_t outputW, int32_t outputH, int32_t width,
                                         int32_t height, int32_t maxTextureW, int32_t maxTextureH);

}  // namespace zelvik
