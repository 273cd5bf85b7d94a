#include "icon.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "lettering.h"

using namespace make_sheet;

namespace make_icons {

namespace {

// The logo panel's colours.
const Colour kSkyTop{8, 6, 34};
const Colour kSkyMiddle{44, 14, 76};
const Colour kSkyLow{150, 40, 120};
const Colour kGlow{255, 90, 170};
const Colour kFloorFar{40, 8, 56};
const Colour kFloorNear{16, 4, 30};
const Colour kGridLine{255, 70, 200};
const Colour kRimDark{10, 6, 20};
const Colour kRimLight{120, 230, 255};
const Colour kRimShade{60, 40, 140};
const std::vector<GradientStop> kChrome = {
    {0.00f, {40, 70, 180}},  {0.44f, {196, 224, 255}}, {0.50f, {255, 255, 255}},
    {0.52f, {80, 44, 34}},   {0.72f, {206, 112, 44}},  {1.00f, {255, 226, 130}}};

// Whether pixel (x, y)'s centre lies in the tile: the square [lo, hi)
// with corners rounded by radius r.
bool InTile(int x, int y, int lo, int hi, float r)
{
    const float cx = x + 0.5f;
    const float cy = y + 0.5f;
    if (cx < lo || cy < lo || cx > hi || cy > hi) return false;
    const float nx = std::clamp(cx, lo + r, hi - r);
    const float ny = std::clamp(cy, lo + r, hi - r);
    return (cx - nx) * (cx - nx) + (cy - ny) * (cy - ny) <= r * r;
}

// A one-pixel line from (x0, y0) to (x1, y1), drawn only on pixels that
// `keep` accepts.
template <typename Keep>
void Line(Picture& p, int x0, int y0, int x1, int y1, Colour c, Keep keep)
{
    const int dx = std::abs(x1 - x0);
    const int dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        if (keep(x0, y0)) SetPixel(p, x0, y0, c);
        if (x0 == x1 && y0 == y1) return;
        const int e2 = 2 * error;
        if (e2 >= dy) {
            error += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            error += dx;
            y0 += sy;
        }
    }
}

}  // namespace

int ArtScale(int size) { return size > 64 ? 2 : 1; }

Picture DrawIcon(int art)
{
    Picture p = MakePicture(art, art);
    const int margin = std::max(1, art / 16);
    const int lo = margin;
    const int hi = art - margin;
    const int tile = hi - lo;
    const float radius = std::max(1.5f, tile / 8.0f);
    const int horizon = lo + static_cast<int>(std::lround(tile * 0.66f));
    const bool detailed = art >= 22;  // room for a grid and stars

    // Sky above the horizon, the floor below, the horizon glowing.
    for (int y = lo; y < hi; ++y)
        for (int x = lo; x < hi; ++x) {
            if (!InTile(x, y, lo, hi, radius)) continue;
            Colour c;
            if (y < horizon) {
                c = Gradient({{0, kSkyTop}, {0.7f, kSkyMiddle}, {1, kSkyLow}},
                             static_cast<float>(y - lo) / std::max(1, horizon - 1 - lo));
            } else {
                c = Mix(kFloorFar, kFloorNear, static_cast<float>(y - horizon) / std::max(1, hi - 1 - horizon));
            }
            // The glow: strongest on the horizon row, one row either side
            // at half strength where there is room.
            const int away = std::abs(y - horizon);
            if (away == 0) c = Mix(c, kGlow, 0.85f);
            else if (away == 1 && art >= 32) c = Mix(c, kGlow, 0.4f);
            SetPixel(p, x, y, c);
        }
    auto inFloor = [&](int x, int y) { return y > horizon && InTile(x, y, lo, hi, radius); };

    if (detailed) {
        // Grid rows, closer together towards the horizon.
        const int depth = hi - 1 - horizon;
        for (float f : {0.16f, 0.4f, 0.75f}) {
            const int y = horizon + static_cast<int>(std::lround(depth * f));
            for (int x = lo; x < hi; ++x)
                if (inFloor(x, y)) SetPixel(p, x, y, Mix(ColourAt(p, x, y), kGridLine, 0.35f + 0.5f * f));
        }
        // Grid columns running to a vanishing point on the horizon.
        const int centre = art / 2;
        const int spread = std::max(3, tile / 5);
        for (int k = -4; k <= 4; ++k)
            Line(p, centre, horizon, centre + k * spread * 2, hi + depth, Mix(kFloorFar, kGridLine, 0.7f), inFloor);

        // Stars: a handful of single pixels in the dark upper sky.
        Random random{77};
        const int stars = art / 4;
        for (int i = 0; i < stars; ++i) {
            const int x = lo + static_cast<int>(Uniform(random) * tile);
            const int y = lo + static_cast<int>(Uniform(random) * (horizon - lo) * 0.55f);
            if (InTile(x, y, lo, hi, radius))
                SetPixel(p, x, y, Mix(ColourAt(p, x, y), Colour{255, 255, 255}, 0.4f + 0.5f * Uniform(random)));
        }
    }

    // The tile's rim, as on the logo plate: dark outside, bright along the
    // top and left, shaded along the bottom and right.
    Picture rim = p;
    for (int y = 0; y < art; ++y)
        for (int x = 0; x < art; ++x) {
            if (!OpaqueAt(p, x, y)) continue;
            const bool outside = !OpaqueAt(p, x - 1, y) || !OpaqueAt(p, x + 1, y) || !OpaqueAt(p, x, y - 1) ||
                                 !OpaqueAt(p, x, y + 1);
            if (outside) {
                SetPixel(rim, x, y, kRimDark);
            } else if (art >= 24) {
                if (!OpaqueAt(p, x - 2, y) || !OpaqueAt(p, x, y - 2)) SetPixel(rim, x, y, kRimLight);
                else if (!OpaqueAt(p, x + 2, y) || !OpaqueAt(p, x, y + 2)) SetPixel(rim, x, y, kRimShade);
            }
        }
    p = rim;

    // The logo's Z in chrome, slanted like the logo, its baseline a little
    // below the horizon.
    constexpr float kSlant = 0.25f;
    const float letterHeight = std::round(tile * 0.62f);
    const float width = LogoTextWidth("Z", letterHeight, 0) + letterHeight * kSlant;
    const float x0 = std::round((art - width) / 2);
    const float y0 = std::round(lo + tile * 0.14f);
    const Mask letters = LogoLetters("Z", art, art, x0, y0, letterHeight, kSlant, 0);
    TextStyle chrome;
    chrome.fill = kChrome;
    chrome.outline = Colour{6, 4, 16};
    chrome.shadowColour = Colour{14, 6, 30};
    chrome.shadow = art >= 22;
    chrome.highlight = 0.55f;
    PaintLettering(p, letters, static_cast<int>(y0), static_cast<int>(y0 + letterHeight), chrome);
    return p;
}

Picture Enlarge(const Picture& picture, int scale)
{
    Picture out = MakePicture(picture.width * scale, picture.height * scale);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            const size_t from = static_cast<size_t>(x / scale) + static_cast<size_t>(picture.width) * (y / scale);
            if (picture.opaque[from]) SetPixel(out, x, y, picture.colour[from]);
        }
    return out;
}

}  // namespace make_icons
