// True-colour pictures with a transparency mask, and the small toolkit the
// sheet's pictures are painted with: colour arithmetic, gradients, value
// noise, a deterministic random generator, supersampled rendering and
// mask operations. Everything is deterministic: same build, same bytes.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace make_sheet {

// Components 0 ... 255, kept as floats while painting.
struct Colour {
    float r;
    float g;
    float b;
};

inline Colour operator+(Colour a, Colour b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Colour operator-(Colour a, Colour b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
inline Colour operator*(Colour a, float s) { return {a.r * s, a.g * s, a.b * s}; }
inline Colour operator*(Colour a, Colour b)
{
    return {a.r * b.r / 255.0f, a.g * b.g / 255.0f, a.b * b.b / 255.0f};
}

inline float Clamp(float v, float lo, float hi) { return v < lo ? lo : (v > hi ? hi : v); }
inline Colour Clamped(Colour c)
{
    return {Clamp(c.r, 0, 255), Clamp(c.g, 0, 255), Clamp(c.b, 0, 255)};
}
inline Colour Mix(Colour a, Colour b, float t) { return a + (b - a) * t; }
inline float Smoothstep(float e0, float e1, float x)
{
    const float t = Clamp((x - e0) / (e1 - e0), 0, 1);
    return t * t * (3 - 2 * t);
}
inline float Luma(Colour c) { return 0.299f * c.r + 0.587f * c.g + 0.114f * c.b; }

// A piecewise-linear gradient through stops at increasing positions.
struct GradientStop {
    float at;
    Colour colour;
};
Colour Gradient(const std::vector<GradientStop>& stops, float t);

// A picture: width x height colours and, per pixel, whether it is opaque.
// Transparent pixels become the key colour in the sheet.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Colour> colour;
    std::vector<uint8_t> opaque;
};

Picture MakePicture(int width, int height);
inline bool Inside(const Picture& p, int x, int y)
{
    return x >= 0 && y >= 0 && x < p.width && y < p.height;
}
inline Colour& ColourAt(Picture& p, int x, int y) { return p.colour[x + p.width * y]; }
inline bool OpaqueAt(const Picture& p, int x, int y)
{
    return Inside(p, x, y) && p.opaque[x + p.width * y] != 0;
}
void SetPixel(Picture& p, int x, int y, Colour c);

// Renders every pixel from n x n samples of shade(x, y, colour&), which
// returns whether the point is covered. A pixel is opaque when at least
// half its samples are covered; its colour is the mean of the covered ones.
template <typename Shade>
void Render(Picture& p, int n, Shade shade)
{
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            Colour sum{0, 0, 0};
            int covered = 0;
            for (int sy = 0; sy < n; ++sy)
                for (int sx = 0; sx < n; ++sx) {
                    Colour c{0, 0, 0};
                    if (shade(x + (sx + 0.5f) / n, y + (sy + 0.5f) / n, c)) {
                        sum = sum + c;
                        ++covered;
                    }
                }
            if (2 * covered >= n * n) SetPixel(p, x, y, Clamped(sum * (1.0f / covered)));
        }
}

// A mask of booleans the size of a picture, for lettering and outlines.
struct Mask {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bits;
};
Mask MakeMask(int width, int height);
inline bool MaskAt(const Mask& m, int x, int y)
{
    return x >= 0 && y >= 0 && x < m.width && y < m.height && m.bits[x + m.width * y] != 0;
}
// Pixels within one step (8-neighbourhood) of the mask, excluding it.
Mask Ring(const Mask& m);

// Deterministic generator (xorshift32) for scattering stars and the like.
struct Random {
    uint32_t state;
};
uint32_t Next(Random& r);
float Uniform(Random& r);  // [0, 1)

// Smooth value noise in [0, 1] and its fractal sum, both seeded.
float Noise(float x, float y, uint32_t seed);
float Fractal(float x, float y, int octaves, uint32_t seed);

// A bevelled frame around the whole picture: a dark outer line, a light
// upper-left and a shaded lower-right edge; the four corner pixels are
// made transparent to soften the rectangle.
void Frame(Picture& p, Colour light, Colour shade);

}  // namespace make_sheet
