// A small ray tracer for the shiny-ball pictures: spheres over a chequered
// floor under a graded sky, one distant light with shadows, and mirror
// reflections.
#pragma once

#include <cmath>
#include <vector>

#include "picture.h"

namespace make_sheet {

struct Vec3 {
    float x;
    float y;
    float z;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline Vec3 Normalised(Vec3 a) { return a * (1.0f / std::sqrt(Dot(a, a))); }

struct Ball {
    Vec3 centre;
    float radius;
    Colour colour;
    float mirror;    // share of the reflected colour, 0 ... 1
    float shine;     // specular strength
};

struct Scene {
    std::vector<Ball> balls;
    Colour floorA;
    Colour floorB;
    float floorMirror;
    float tile;                      // chequer size
    std::vector<GradientStop> sky;   // by elevation: 0 horizon ... 1 zenith
    Vec3 light;                      // towards the light, normalised
    float fogDistance;               // the floor fades into the horizon colour
    Vec3 eye;
    Vec3 target;
    float halfHeight;                // tan of half the vertical field of view
};

// Renders the scene into the whole picture with n x n samples per pixel.
void RenderScene(Picture& p, const Scene& scene, int n);

}  // namespace make_sheet
