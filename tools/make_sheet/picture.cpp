#include "picture.h"

namespace make_sheet {

Colour Gradient(const std::vector<GradientStop>& stops, float t)
{
    if (t <= stops.front().at) return stops.front().colour;
    for (size_t i = 1; i < stops.size(); ++i)
        if (t <= stops[i].at) {
            const float span = stops[i].at - stops[i - 1].at;
            return Mix(stops[i - 1].colour, stops[i].colour,
                       span > 0 ? (t - stops[i - 1].at) / span : 1.0f);
        }
    return stops.back().colour;
}

Picture MakePicture(int width, int height)
{
    Picture p;
    p.width = width;
    p.height = height;
    p.colour.assign(static_cast<size_t>(width) * height, Colour{0, 0, 0});
    p.opaque.assign(static_cast<size_t>(width) * height, 0);
    return p;
}

void SetPixel(Picture& p, int x, int y, Colour c)
{
    if (!Inside(p, x, y)) return;
    p.colour[x + p.width * y] = Clamped(c);
    p.opaque[x + p.width * y] = 1;
}

Mask MakeMask(int width, int height)
{
    Mask m;
    m.width = width;
    m.height = height;
    m.bits.assign(static_cast<size_t>(width) * height, 0);
    return m;
}

Mask Ring(const Mask& m)
{
    Mask out = MakeMask(m.width, m.height);
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) {
            if (MaskAt(m, x, y)) continue;
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy)
                for (int dx = -1; dx <= 1 && !near; ++dx) near = MaskAt(m, x + dx, y + dy);
            out.bits[x + m.width * y] = near;
        }
    return out;
}

uint32_t Next(Random& r)
{
    uint32_t x = r.state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    r.state = x;
    return x;
}

float Uniform(Random& r) { return static_cast<float>(Next(r) >> 8) / 16777216.0f; }

static float Lattice(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t h = static_cast<uint32_t>(x) * 0x8DA6B343u ^ static_cast<uint32_t>(y) * 0xD8163841u ^
                 seed * 0xCB1AB31Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return static_cast<float>(h >> 8) / 16777215.0f;
}

float Noise(float x, float y, uint32_t seed)
{
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const auto ix = static_cast<int32_t>(fx);
    const auto iy = static_cast<int32_t>(fy);
    const float tx = Smoothstep(0, 1, x - fx);
    const float ty = Smoothstep(0, 1, y - fy);
    const float top = Lattice(ix, iy, seed) + (Lattice(ix + 1, iy, seed) - Lattice(ix, iy, seed)) * tx;
    const float bottom =
        Lattice(ix, iy + 1, seed) + (Lattice(ix + 1, iy + 1, seed) - Lattice(ix, iy + 1, seed)) * tx;
    return top + (bottom - top) * ty;
}

float Fractal(float x, float y, int octaves, uint32_t seed)
{
    float sum = 0;
    float weight = 0.5f;
    float total = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += Noise(x, y, seed + 101u * i) * weight;
        total += weight;
        x *= 2.03f;
        y *= 2.03f;
        weight *= 0.5f;
    }
    return sum / total;
}

void Frame(Picture& p, Colour light, Colour shade)
{
    const Colour dark{8, 8, 16};
    const int w = p.width;
    const int h = p.height;
    for (int x = 0; x < w; ++x) {
        SetPixel(p, x, 0, dark);
        SetPixel(p, x, h - 1, dark);
        if (x >= 1 && x < w - 1) {
            SetPixel(p, x, 1, light);
            SetPixel(p, x, h - 2, shade);
        }
    }
    for (int y = 0; y < h; ++y) {
        SetPixel(p, 0, y, dark);
        SetPixel(p, w - 1, y, dark);
        if (y >= 1 && y < h - 1) {
            SetPixel(p, 1, y, light);
            SetPixel(p, w - 2, y, shade);
        }
    }
    SetPixel(p, w - 2, 1, Mix(light, shade, 0.5f));
    SetPixel(p, 1, h - 2, Mix(light, shade, 0.5f));
    for (int corner = 0; corner < 4; ++corner) {
        const int x = corner & 1 ? w - 1 : 0;
        const int y = corner & 2 ? h - 1 : 0;
        p.opaque[x + w * y] = 0;
    }
}

}  // namespace make_sheet
