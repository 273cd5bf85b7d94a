// The seven picture panels: four wide scenes and three tall ones.
#include "panels.h"

#include <cmath>

#include "raytrace.h"
#include "canvas/sheet_layout.h"

namespace make_sheet {

namespace {

// Panel sizes come from the sheet's layout, where the show cuts them.
constexpr zelvik::SheetRect kWide = zelvik::kSheetPanels[3];
constexpr zelvik::SheetRect kTall = zelvik::kSheetPanels[0];

// A sprinkling of stars: position, brightness and a tint.
struct Star {
    float x;
    float y;
    float brightness;
    Colour tint;
};

std::vector<Star> Stars(uint32_t seed, int count, float width, float height)
{
    Random random{seed};
    std::vector<Star> stars;
    for (int i = 0; i < count; ++i) {
        Star s;
        s.x = Uniform(random) * width;
        s.y = Uniform(random) * height;
        const float b = Uniform(random);
        s.brightness = 0.35f + 0.65f * b * b;
        const float hue = Uniform(random);
        s.tint = hue < 0.2f ? Colour{255, 210, 170} : (hue < 0.4f ? Colour{180, 210, 255} : Colour{255, 255, 255});
        stars.push_back(s);
    }
    return stars;
}

// The light a star field adds at (x, y): each star a one-pixel point.
Colour StarLight(const std::vector<Star>& stars, float x, float y)
{
    Colour sum{0, 0, 0};
    for (const Star& s : stars)
        if (std::floor(x) == std::floor(s.x) && std::floor(y) == std::floor(s.y))
            sum = sum + s.tint * s.brightness;
    return sum;
}

// Brightness of a cylinder seen from the front at `across` (-1 ... 1 over
// its width), lit from the side of `lightX` (-1 left ... 1 right).
float CylinderLight(float across, float lightX)
{
    const float nz = std::sqrt(Clamp(1 - across * across, 0, 1));
    const float lz = std::sqrt(1 - lightX * lightX);
    return Clamp(across * lightX + nz * lz, 0, 1);
}

}  // namespace

// --- Sunset over the sea ------------------------------------------------------

Picture SunsetPanel()
{
    Picture p = MakePicture(kWide.width, kWide.height);
    const float horizon = 21.5f;
    const float sunX = 68;
    const float sunY = 16.0f;
    const float sunR = 8.5f;
    const std::vector<GradientStop> sky = {{0.0f, {24, 14, 64}},   {0.35f, {86, 30, 108}},
                                           {0.62f, {196, 62, 96}}, {0.84f, {250, 138, 64}},
                                           {1.0f, {255, 206, 120}}};
    const std::vector<Star> stars = Stars(7, 22, 99, 8);

    auto skyAt = [&](float x, float y) {
        Colour c = Gradient(sky, Clamp(y / horizon, 0, 1));
        c = c + StarLight(stars, x, y) * (1 - y / 8);
        const float d = std::hypot(x - sunX, (y - sunY) * 1.1f);
        if (d < sunR) {
            // The sun, cut by stripes below its middle that widen towards
            // the horizon, on whole pixel rows.
            const int below = static_cast<int>(std::floor(y) - std::floor(sunY));
            const bool gap = below == 2 || below >= 4;
            if (!gap) return Gradient({{0, {255, 246, 176}}, {1, {255, 104, 74}}}, (y - (sunY - sunR)) / (2 * sunR));
            return Mix(c, Colour{150, 40, 90}, 0.45f);
        }
        return c + Colour{255, 150, 90} * (0.45f * std::exp(-std::max(0.0f, d - sunR) / 5.0f));
    };

    // Hills on the left, purple in the haze and fading out towards the sun,
    // with a dark headland in front of them.
    auto hills = [&](float x) {
        const float rise = 1 - Smoothstep(20, 58, x);
        return horizon - rise * (4.5f + 2.0f * std::sin(x * 0.11f + 0.6f) + 2.5f * Fractal(x * 0.09f, 3.1f, 3, 11));
    };
    auto headland = [&](float x) {
        return horizon - std::max(0.0f, 11.0f - x * 0.36f) - 1.2f * Fractal(x * 0.25f, 1.7f, 3, 12);
    };
    auto skyWithLand = [&](float x, float y) {
        if (y > headland(x)) return Colour{30, 12, 42};
        if (y > hills(x)) return Mix(Colour{112, 44, 108}, Colour{170, 70, 110}, Clamp((y - hills(x)) / 5, 0, 1));
        return skyAt(x, y);
    };
    Render(p, 3, [&](float x, float y, Colour& out) {
        if (y < horizon) {
            out = skyWithLand(x, y);
            return true;
        }
        // The sea mirrors the sky, darker with depth, with a glittering path
        // under the sun.
        const float depth = (y - horizon) / (33 - horizon);
        const float ripple = std::sin(y * 3.1f + 7 * Noise(x * 0.35f, y * 0.9f, 14)) * (1.5f + depth * 3);
        const float mirroredY = horizon - (y - horizon) * 2.2f;
        Colour c = Mix(skyWithLand(x + ripple, mirroredY), Colour{20, 10, 44}, 0.35f + 0.5f * depth);
        const float path = 1 - Smoothstep(sunR * 0.5f, sunR * (1.1f + depth), std::fabs(x + ripple - sunX));
        const float glitter = Smoothstep(0.25f, 0.75f, Noise(x * 0.45f, y * 2.3f, 15));
        c = Mix(c, Colour{255, 196, 120}, path * glitter * (1 - depth * 0.6f));
        out = c;
        return true;
    });
    Frame(p, Colour{230, 180, 230}, Colour{96, 44, 110});
    return p;
}

// --- Shiny balls on a chequered floor ----------------------------------------

Picture ChessPanel()
{
    Picture p = MakePicture(kWide.width, kWide.height);
    Scene s;
    s.balls = {
        {{0.0f, 0.95f, 0.3f}, 0.95f, {235, 235, 245}, 0.82f, 1.0f},
        {{-2.45f, 0.62f, 1.1f}, 0.62f, {230, 40, 50}, 0.25f, 0.8f},
        {{2.5f, 0.62f, 0.6f}, 0.62f, {40, 110, 235}, 0.25f, 0.8f},
        {{1.25f, 0.36f, -1.35f}, 0.36f, {250, 190, 40}, 0.35f, 0.9f},
        {{-1.3f, 0.3f, -1.6f}, 0.3f, {60, 210, 90}, 0.3f, 0.9f},
    };
    s.floorA = {36, 40, 96};
    s.floorB = {232, 226, 244};
    s.floorMirror = 0.22f;
    s.tile = 0.9f;
    s.sky = {{0.0f, {196, 206, 250}}, {0.25f, {110, 140, 230}}, {1.0f, {20, 36, 120}}};
    s.light = Normalised(Vec3{-0.55f, 0.75f, -0.45f});
    s.fogDistance = 26;
    s.eye = {0, 1.45f, -5.2f};
    s.target = {0, 0.72f, 0.5f};
    s.halfHeight = 0.22f;
    RenderScene(p, s, 4);
    Frame(p, Colour{200, 210, 250}, Colour{60, 70, 140});
    return p;
}

// --- A ringed planet in a nebula --------------------------------------------

Picture SpacePanel()
{
    Picture p = MakePicture(kWide.width, kWide.height);
    const std::vector<Star> stars = Stars(21, 70, 99, 33);
    const float px = 63;
    const float py = 17;
    const float pr = 11.5f;
    const float ringTilt = 0.3f;   // ring plane foreshortening
    const float ringAngle = -0.32f;
    const float moonX = 19;
    const float moonY = 11;
    const float moonR = 4.2f;
    Render(p, 3, [&](float x, float y, Colour& out) {
        // Nebula and stars.
        const float n = Fractal(x * 0.045f, y * 0.07f, 5, 31);
        const float wisp = Smoothstep(0.42f, 0.78f, n);
        Colour c = Mix(Colour{4, 4, 16}, Mix(Colour{44, 22, 90}, Colour{170, 60, 140}, Fractal(x * 0.03f, y * 0.05f, 3, 32)),
                       wisp * 0.8f);
        c = c + Colour{30, 80, 150} * (0.4f * Smoothstep(0.55f, 0.9f, Fractal(x * 0.08f + 9, y * 0.1f, 4, 33)));
        c = c + StarLight(stars, x, y);

        // The ring, in its own plane: u along it, v across.
        const float dx = x - px;
        const float dy = y - py;
        const float u = dx * std::cos(ringAngle) + dy * std::sin(ringAngle);
        const float v = (-dx * std::sin(ringAngle) + dy * std::cos(ringAngle)) / ringTilt;
        const float rr = std::hypot(u, v);
        float ringAlpha = 0;
        Colour ringColour{0, 0, 0};
        if (rr > pr * 1.28f && rr < pr * 2.05f) {
            const float band = (rr - pr * 1.28f) / (pr * 0.77f);
            const bool division = band > 0.58f && band < 0.66f;
            ringAlpha = division ? 0.15f : 0.55f + 0.35f * Noise(rr * 1.7f, 0, 34);
            ringColour = Mix(Colour{210, 180, 140}, Colour{150, 120, 100}, band);
            // The planet's shadow falls across the far right of the ring.
            if (u > 0 && std::fabs(v) < pr && v < 0) ringColour = ringColour * 0.35f;
        }
        const bool ringInFront = v > 0;

        // The planet: a banded gas giant lit from the upper left.
        const float d = std::hypot(dx, dy);
        if (d < pr) {
            const float nx = dx / pr;
            const float ny = dy / pr;
            const float nz = std::sqrt(Clamp(1 - nx * nx - ny * ny, 0, 1));
            const float latitude = ny + 0.22f * nx;  // tilted bands
            const float bands = std::sin(latitude * 11 + 2.2f * Fractal(nx * 3, latitude * 6, 3, 35));
            Colour body = Gradient({{-1, {150, 90, 60}}, {0, {226, 180, 128}}, {1, {250, 232, 196}}}, bands);
            const float light = Clamp(-0.62f * nx - 0.45f * ny + 0.64f * nz, 0, 1);
            c = body * (0.06f + 1.0f * light) + Colour{120, 160, 255} * (0.35f * std::pow(1 - nz, 3.0f));
            if (ringInFront) c = Mix(c, ringColour, ringAlpha);
        } else if (ringAlpha > 0) {
            c = Mix(c, ringColour, ringAlpha);
        }

        // A small cratered moon.
        const float md = std::hypot(x - moonX, y - moonY);
        if (md < moonR) {
            const float nx = (x - moonX) / moonR;
            const float ny = (y - moonY) / moonR;
            const float nz = std::sqrt(Clamp(1 - nx * nx - ny * ny, 0, 1));
            const float craters = Fractal(nx * 3 + 4, ny * 3, 3, 36);
            const float light = Clamp(0.7f * nx - 0.35f * ny + 0.6f * nz, 0, 1);
            c = Colour{200, 196, 190} * (0.3f + 0.7f * craters) * (0.05f + light);
        }
        out = c;
        return true;
    });
    Frame(p, Colour{170, 150, 230}, Colour{60, 40, 110});
    return p;
}

// --- Northern lights over snowy peaks ------------------------------------------

Picture AuroraPanel()
{
    Picture p = MakePicture(kWide.width, kWide.height);
    const std::vector<Star> stars = Stars(41, 40, 99, 20);
    const float lake = 24.5f;
    auto ridge = [](float x) {
        return 12.5f + 3.5f * std::sin(x * 0.06f + 0.4f) + 5.5f * std::fabs(std::sin(x * 0.075f + 1.3f)) +
               2.2f * Fractal(x * 0.15f, 0.5f, 4, 42);
    };
    auto scene = [&](float x, float y) -> Colour {
        const float top = ridge(x);
        if (y >= top) {
            // Snow lit from the left on slopes that face it, rock and forest
            // lower down.
            const float slope = ridge(x + 0.5f) - ridge(x - 0.5f);
            const float depth = y - top;
            Colour snow = slope > 0 ? Colour{222, 232, 255} : Colour{92, 110, 170};
            snow = Mix(snow, Colour{150, 200, 210}, 0.25f);
            const Colour rock{24, 36, 60};
            const float snowLine = 2.5f + 3 * Noise(x * 0.3f, 0, 43);
            Colour c = depth < snowLine ? snow : Mix(rock, Colour{8, 22, 26}, Clamp((depth - snowLine) / 4, 0, 1));
            if (y > lake - 2.5f) c = Mix(c, Colour{6, 16, 22}, 0.7f);
            return c;
        }
        Colour c = Gradient({{0, {4, 6, 22}}, {0.7f, {10, 26, 52}}, {1, {24, 60, 80}}}, y / lake);
        c = c + StarLight(stars, x, y) * 0.9f;
        // Curtains: a wavy lower edge, bright and green, fading upwards
        // into magenta rays.
        for (int layer = 0; layer < 2; ++layer) {
            const float edge = (layer == 0 ? 13.5f : 9.5f) + 3.2f * std::sin(x * 0.065f + 1.1f + layer * 2.3f) +
                               1.6f * std::sin(x * 0.17f + layer);
            const float above = edge - y;
            if (above < -1.5f) continue;
            const float rays = 0.35f + 0.65f * Noise(x * 0.55f + layer * 17, 0.5f, 44 + layer);
            const float lower = Smoothstep(-1.5f, 0.5f, above);
            const float fade = std::exp(-std::max(0.0f, above) / (6.5f + 3 * rays));
            const float strength = lower * fade * rays * (layer == 0 ? 1.0f : 0.6f);
            const Colour tone = Gradient({{0, {80, 255, 150}}, {6, {40, 200, 170}}, {11, {190, 70, 210}}}, above);
            c = c + tone * (strength * 0.95f);
        }
        return c;
    };
    Render(p, 3, [&](float x, float y, Colour& out) {
        if (y < lake) {
            out = scene(x, y);
            return true;
        }
        // The lake: a rippled, darkened mirror.
        const float ripple = std::sin(y * 4.1f + 5 * Noise(x * 0.2f, y, 45)) * 0.9f;
        const float mirrored = 2 * lake - y + ripple * 0.4f;
        Colour c = Mix(scene(x + ripple, std::max(0.0f, mirrored)), Colour{4, 12, 24}, 0.45f);
        c = c + Colour{40, 80, 90} * (0.25f * Smoothstep(0.6f, 0.9f, Noise(x * 0.5f, y * 3, 46)));
        out = c;
        return true;
    });
    Frame(p, Colour{170, 230, 220}, Colour{30, 80, 100});
    return p;
}

// --- Lighthouse at dusk ----------------------------------------------------------

Picture LighthousePanel()
{
    Picture p = MakePicture(kTall.width, kTall.height);
    const std::vector<Star> stars = Stars(51, 26, 39, 60);
    const float cx = 19.5f;
    const float horizon = 101;
    const float lanternY = 21.5f;
    const std::vector<GradientStop> sky = {{0.0f, {12, 14, 50}},   {0.45f, {50, 30, 104}},
                                           {0.75f, {170, 70, 120}}, {0.92f, {246, 140, 90}},
                                           {1.0f, {255, 196, 120}}};
    auto skyAt = [&](float x, float y) {
        Colour c = Gradient(sky, Clamp(y / horizon, 0, 1)) + StarLight(stars, x, y) * Clamp(1 - y / 60, 0, 1);
        // The beam sweeps to the left, and the lantern glows.
        const float bx = x - cx;
        const float by = y - lanternY;
        if (bx < 0) {
            const float angle = std::atan2(by, -bx) - 0.06f;
            const float spread = 0.16f;
            const float beam = Clamp(1 - std::fabs(angle) / spread, 0, 1);
            c = c + Colour{255, 236, 170} * (0.55f * beam * beam * std::exp(bx / 60));
        }
        c = c + Colour{255, 220, 150} * (0.55f * std::exp(-std::hypot(bx, by) / 4.5f));
        return c;
    };
    Render(p, 3, [&](float x, float y, Colour& out) {
        const float dx = x - cx;
        // Rocks at the foot.
        const float rockTop = 93 + 0.55f * std::fabs(dx) + 4 * Fractal(x * 0.3f, 0, 3, 52) - (std::fabs(dx) < 8 ? 2 : 0);
        const float rockBottom = 108 + 3 * Noise(x * 0.4f, 1, 53);
        const bool rock = y > rockTop && y < rockBottom && std::fabs(dx) < 17;
        // The tower: a tapering striped cylinder from y 30 to 96.
        const float towerTop = 30;
        const float towerBottom = 96;
        if (y >= towerTop && y < towerBottom) {
            const float half = 4.2f + (y - towerTop) / (towerBottom - towerTop) * 2.6f;
            if (std::fabs(dx) < half) {
                const float across = dx / half;
                const bool red = static_cast<int>((y - towerTop) / 11) % 2 == 0;
                Colour base = red ? Colour{206, 34, 44} : Colour{238, 232, 226};
                const float light = CylinderLight(across, 0.7f);
                Colour c = base * (0.18f + 0.9f * light);
                c = c + Colour{255, 170, 110} * (0.25f * Smoothstep(0.6f, 1.0f, across));  // sunset rim
                const bool window = (std::fabs(y - 52) < 2 || std::fabs(y - 74) < 2) && std::fabs(dx + 0.5f) < 1;
                if (window) c = Colour{255, 226, 140};
                const bool door = y > 89 && std::fabs(dx + 0.5f) < 1.6f;
                if (door) c = Colour{40, 24, 30};
                out = c;
                return true;
            }
        }
        // Gallery and railing.
        if (y >= 26.5f && y < 30 && std::fabs(dx) < 7) {
            out = Colour{46, 44, 58} * (0.6f + 0.4f * CylinderLight(dx / 7, 0.7f));
            return true;
        }
        if (y >= 23.5f && y < 26.5f && std::fabs(dx) < 6.5f &&
            (y < 24.5f || static_cast<int>(std::floor(x)) % 2 == 0)) {
            out = Colour{30, 28, 40};
            return true;
        }
        // Lantern room: glowing glass between dark frames.
        if (y >= 16 && y < 26.5f && std::fabs(dx) < 3.6f) {
            const bool mullion = std::fabs(std::fmod(dx + 3.6f, 2.4f) - 1.2f) > 0.95f;
            out = mullion ? Colour{40, 30, 30} : Mix(Colour{255, 250, 200}, Colour{255, 190, 80}, std::fabs(dx) / 3.6f);
            return true;
        }
        // The red dome and its finial.
        if (y >= 10 && y < 16) {
            const float k = (16 - y) / 6;
            const float half = 4.6f * std::sqrt(Clamp(1 - k * k, 0, 1));
            if (std::fabs(dx) < half) {
                out = Colour{190, 30, 40} * (0.25f + 0.85f * CylinderLight(dx / 4.6f, 0.6f));
                return true;
            }
        }
        if (y >= 6.5f && y < 10 && std::fabs(dx) < 0.6f) {
            out = Colour{60, 50, 60};
            return true;
        }
        if (rock) {
            const float grain = Fractal(x * 0.5f, y * 0.5f, 4, 54);
            const float light = Clamp(0.55f + 0.02f * dx + 0.6f * (grain - 0.5f), 0, 1);
            out = Mix(Colour{34, 24, 36}, Colour{150, 110, 100}, light * (1 - (y - rockTop) / 20));
            return true;
        }
        if (y < horizon) {
            out = skyAt(x, y);
            return true;
        }
        // The sea: sky reflections broken by waves, foam round the rocks.
        const float depth = (y - horizon) / (127 - horizon);
        const float ripple = std::sin(y * 2.3f + 6 * Noise(x * 0.3f, y * 0.6f, 55)) * (1 + depth * 3);
        Colour c = Mix(skyAt(x + ripple, horizon - (y - horizon) * 3), Colour{12, 14, 40}, 0.4f + 0.45f * depth);
        const float foam = Smoothstep(0.6f, 0.85f, Noise(x * 0.5f, y * 1.5f, 56)) * Clamp(1 - std::fabs(y - rockBottom) / 5, 0, 1);
        out = Mix(c, Colour{230, 220, 240}, foam * 0.8f);
        return true;
    });
    Frame(p, Colour{240, 190, 200}, Colour{90, 50, 100});
    return p;
}

// --- A tower of shiny balls ------------------------------------------------------

Picture SphereTowerPanel()
{
    Picture p = MakePicture(kTall.width, kTall.height);
    Scene s;
    s.balls = {
        {{0, 0.8f, 0}, 0.8f, {240, 240, 250}, 0.8f, 1.0f},
        {{0, 2.22f, 0}, 0.62f, {235, 45, 55}, 0.3f, 0.9f},
        {{0, 3.31f, 0}, 0.47f, {250, 190, 40}, 0.35f, 0.9f},
        {{0, 4.12f, 0}, 0.34f, {50, 120, 240}, 0.3f, 0.9f},
        {{0, 4.6f, 0}, 0.14f, {70, 220, 100}, 0.3f, 0.9f},
    };
    s.floorA = {36, 40, 96};
    s.floorB = {232, 226, 244};
    s.floorMirror = 0.22f;
    s.tile = 0.6f;
    s.sky = {{0.0f, {196, 206, 250}}, {0.2f, {110, 140, 230}}, {0.6f, {20, 36, 120}}, {1.0f, {8, 12, 50}}};
    s.light = Normalised(Vec3{-0.55f, 0.75f, -0.45f});
    s.fogDistance = 30;
    s.eye = {0, 2.9f, -9.5f};
    s.target = {0, 2.3f, 0};
    s.halfHeight = 0.37f;
    RenderScene(p, s, 4);
    Frame(p, Colour{200, 210, 250}, Colour{60, 70, 140});
    return p;
}

// --- Rocket lift-off -------------------------------------------------------------

Picture RocketPanel()
{
    Picture p = MakePicture(kTall.width, kTall.height);
    const std::vector<Star> stars = Stars(61, 30, 39, 70);
    const float cx = 19.5f;
    Render(p, 3, [&](float x, float y, Colour& out) {
        const float dx = x - cx;
        Colour c = Gradient({{0, {4, 4, 22}}, {0.45f, {18, 26, 76}}, {0.8f, {64, 80, 150}}, {1, {190, 120, 100}}},
                            y / 127);
        c = c + StarLight(stars, x, y) * Clamp(1 - y / 70, 0, 1);

        // Smoke: billows that widen towards the pad, lit orange from the
        // flame above them.
        if (y > 74) {
            const float spread = 3 + (y - 74) * 0.42f + 3 * Noise(y * 0.15f, 0, 62);
            const float billow = Fractal(x * 0.16f, y * 0.12f, 4, 63);
            const float edge = std::fabs(dx) - spread * (0.75f + 0.5f * billow);
            const float density = Clamp(-edge / 3, 0, 1) * Smoothstep(74, 84, y);
            if (density > 0) {
                const float shade = 0.55f + 0.45f * Fractal(x * 0.3f + 5, y * 0.25f, 3, 64) - 0.004f * (y - 74);
                Colour smoke = Colour{226, 222, 230} * Clamp(shade, 0.2f, 1.0f);
                smoke = smoke + Colour{255, 150, 60} * (0.55f * std::exp(-(y - 74) / 14));
                c = Mix(c, smoke, density);
            }
        }
        // The flame.
        if (y > 64 && y < 96) {
            const float along = (y - 64) / 32;
            const float half = 2.6f + along * 3.5f * (0.7f + 0.6f * Noise(y * 0.4f, 3, 65));
            const float core = 1 - std::fabs(dx) / half;
            if (core > 0) {
                const float heat = core * (1 - along);
                const Colour flame = Gradient({{0, {200, 40, 20}}, {0.3f, {255, 140, 30}}, {0.6f, {255, 230, 120}}, {1, {255, 255, 240}}},
                                              heat * 1.6f);
                c = Mix(c, flame, Clamp(core * 2.2f * (1 - along * along), 0, 1));
            }
        }
        // The rocket: nose cone, body, fins, nozzle; lit from the left.
        const float noseTop = 13;
        const float bodyTop = 29;
        const float bodyBottom = 60;
        const float radius = 4.6f;
        float half = 0;
        if (y >= noseTop && y < bodyTop) {
            const float k = (y - noseTop) / (bodyTop - noseTop);
            half = radius * std::sqrt(k * (2 - k));
        } else if (y >= bodyTop && y < bodyBottom) {
            half = radius;
        }
        if (half > 0 && std::fabs(dx) < half) {
            const float across = dx / radius;
            const float light = CylinderLight(across, -0.6f);
            const bool red = y < bodyTop - 1 || (y >= 33 && y < 36) || (y >= bodyBottom - 4);
            Colour base = red ? Colour{214, 40, 40} : Colour{236, 236, 244};
            Colour b = base * (0.2f + 0.9f * light);
            b = b + Colour{255, 150, 80} * (0.3f * Smoothstep(0.5f, 1.0f, across));  // flame-lit rim
            const float wx = dx + 0.8f;
            const float wy = y - 42;
            if (std::hypot(wx, wy) < 2.1f) {
                b = std::hypot(wx, wy) > 1.5f ? Colour{60, 60, 80} : Mix(Colour{120, 200, 255}, Colour{20, 50, 130}, (wy + 1.5f) / 3);
                if (std::hypot(wx + 0.5f, wy + 0.5f) < 0.6f) b = Colour{240, 250, 255};
            }
            out = b;
            return true;
        }
        // Fins.
        if (y >= 48 && y < 64) {
            const float k = (y - 48) / 16;
            const float reach = radius + 4.8f * k;
            if (std::fabs(dx) >= radius - 0.5f && std::fabs(dx) < reach && y < 64 - (std::fabs(dx) - radius) * 0.3f) {
                out = Colour{190, 34, 40} * (dx < 0 ? 1.0f : 0.55f);
                return true;
            }
            if (std::fabs(dx) < 1.0f && y >= 52) {  // the front fin, edge on
                out = Colour{230, 60, 60};
                return true;
            }
        }
        if (y >= bodyBottom && y < 65 && std::fabs(dx) < 3.2f - (y - bodyBottom) * 0.1f) {
            out = Colour{70, 70, 86} * (0.5f + 0.6f * CylinderLight(dx / 3.2f, -0.6f));
            return true;
        }
        // The launch gantry on the right, dark against the smoke.
        if (x > 31 && x < 34.5f && y > 40) {
            const bool lattice = std::fabs(std::fmod(y + (x - 31) * 1.2f, 5.0f) - 2.5f) < 0.7f || x < 31.8f || x > 33.7f;
            if (lattice) {
                out = Colour{70, 56, 80} * (0.6f + 0.4f * Smoothstep(40, 100, y));
                return true;
            }
        }
        if (y > 121) c = Mix(c, Colour{30, 20, 30}, 0.7f);  // the ground
        out = c;
        return true;
    });
    Frame(p, Colour{200, 200, 240}, Colour{50, 50, 110});
    return p;
}

}  // namespace make_sheet
