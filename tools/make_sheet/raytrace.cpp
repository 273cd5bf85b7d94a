#include "raytrace.h"

namespace make_sheet {

namespace {

constexpr float kFar = 1e9f;

float HitBall(const Ball& b, Vec3 origin, Vec3 dir)
{
    const Vec3 oc = origin - b.centre;
    const float half = Dot(oc, dir);
    const float c = Dot(oc, oc) - b.radius * b.radius;
    const float disc = half * half - c;
    if (disc < 0) return kFar;
    const float root = std::sqrt(disc);
    float t = -half - root;
    if (t < 1e-3f) t = -half + root;
    return t < 1e-3f ? kFar : t;
}

float HitFloor(Vec3 origin, Vec3 dir)
{
    if (dir.y >= -1e-5f) return kFar;
    const float t = -origin.y / dir.y;
    return t < 1e-3f ? kFar : t;
}

bool InShadow(const Scene& s, Vec3 point)
{
    for (const Ball& b : s.balls)
        if (HitBall(b, point, s.light) < kFar) return true;
    return false;
}

Colour Sky(const Scene& s, Vec3 dir)
{
    Colour c = Gradient(s.sky, Clamp(dir.y, 0, 1));
    // A soft glow around the light.
    const float toward = Clamp(Dot(dir, s.light), 0, 1);
    return c + Colour{255, 235, 200} * (0.35f * std::pow(toward, 40.0f));
}

Colour Trace(const Scene& s, Vec3 origin, Vec3 dir, int depth)
{
    float nearest = HitFloor(origin, dir);
    const Ball* ball = nullptr;
    for (const Ball& b : s.balls) {
        const float t = HitBall(b, origin, dir);
        if (t < nearest) {
            nearest = t;
            ball = &b;
        }
    }
    if (nearest >= kFar) return Sky(s, dir);

    const Vec3 point = origin + dir * nearest;
    Vec3 normal{0, 1, 0};
    Colour base;
    float mirror = s.floorMirror;
    float shine = 0.2f;
    if (ball != nullptr) {
        normal = Normalised(point - ball->centre);
        base = ball->colour;
        mirror = ball->mirror;
        shine = ball->shine;
    } else {
        const int cx = static_cast<int>(std::floor(point.x / s.tile));
        const int cz = static_cast<int>(std::floor(point.z / s.tile));
        base = ((cx + cz) & 1) ? s.floorA : s.floorB;
    }

    const bool lit = !InShadow(s, point + normal * 1e-3f);
    const float diffuse = lit ? Clamp(Dot(normal, s.light), 0, 1) : 0.0f;
    Colour c = base * (0.28f + 0.72f * diffuse);
    if (mirror > 0 && depth < 3) {
        const Vec3 reflected = dir - normal * (2 * Dot(dir, normal));
        c = Mix(c, Trace(s, point + normal * 1e-3f, Normalised(reflected), depth + 1), mirror);
    }
    if (lit) {
        const Vec3 half = Normalised(s.light - dir);
        c = c + Colour{255, 250, 240} * (shine * std::pow(Clamp(Dot(normal, half), 0, 1), 60.0f));
    }
    if (ball == nullptr) {
        // Distance haze melts the floor into the horizon.
        const float haze = Smoothstep(0, 1, nearest / s.fogDistance);
        c = Mix(c, Gradient(s.sky, 0), haze);
    }
    return c;
}

}  // namespace

void RenderScene(Picture& p, const Scene& scene, int n)
{
    const Vec3 forward = Normalised(scene.target - scene.eye);
    const Vec3 right = Normalised(Cross(Vec3{0, 1, 0}, forward));
    const Vec3 up = Cross(forward, right);
    const float halfWidth = scene.halfHeight * p.width / p.height;
    Render(p, n, [&](float x, float y, Colour& out) {
        const float sx = (2 * x / p.width - 1) * halfWidth;
        const float sy = (1 - 2 * y / p.height) * scene.halfHeight;
        const Vec3 dir = Normalised(forward + right * sx + up * sy);
        out = Clamped(Trace(scene, scene.eye, dir, 0));
        return true;
    });
}

}  // namespace make_sheet
