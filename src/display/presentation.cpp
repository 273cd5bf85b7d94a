#include "display/presentation.h"

namespace zelvik {

PresentationGeometry ComputePresentation(int32_t outputW, int32_t outputH, int32_t width,
                                         int32_t height, int32_t maxTextureW, int32_t maxTextureH)
{
    PresentationGeometry g{width, height, PixelRect{0, 0, 0, 0}};
    if (outputW <= 0 || outputH <= 0 || width <= 0 || height <= 0) return g;
    // Picture aspect width : 1.2 height, kept in integers as 5w : 6h.
    const int64_t aspectW = 5 * int64_t{width}, aspectH = 6 * int64_t{height};
    PixelRect& p = g.picture;
    if (int64_t{outputW} * aspectH > int64_t{outputH} * aspectW) {
        p.h = outputH;
        p.w = static_cast<int32_t>((int64_t{outputH} * aspectW + aspectH / 2) / aspectH);
    } else {
        p.w = outputW;
        p.h = static_cast<int32_t>((int64_t{outputW} * aspectH + aspectW / 2) / aspectW);
    }
    p.x = (outputW - p.w) / 2;
    p.y = (outputH - p.h) / 2;
    int32_t kx = (p.w + width - 1) / width, ky = (p.h + height - 1) / height;
    if (kx < 1) kx = 1;
    if (ky < 1) ky = 1;
    while (maxTextureW > 0 && kx > 1 && width * kx > maxTextureW) --kx;
    while (maxTextureH > 0 && ky > 1 && height * ky > maxTextureH) --ky;
    g.upscaledW = width * kx;
    g.upscaledH = height * ky;
    return g;
}

}  // namespace zelvik
