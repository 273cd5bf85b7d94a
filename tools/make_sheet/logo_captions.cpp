// The logo panel and the credit captions: lettering pictures.
#include <cmath>
#include <string>

#include "lettering.h"
#include "panels.h"
#include "canvas/sheet_layout.h"

namespace make_sheet {

namespace {

// Chrome: a sky-blue top, a bright horizon across the middle, a brown
// ground turning to gold at the bottom.
const std::vector<GradientStop> kChrome = {
    {0.00f, {40, 70, 180}},  {0.44f, {196, 224, 255}}, {0.50f, {255, 255, 255}},
    {0.52f, {80, 44, 34}},   {0.72f, {206, 112, 44}},  {1.00f, {255, 226, 130}}};
const std::vector<GradientStop> kGold = {{0.0f, {255, 252, 210}}, {0.45f, {255, 206, 70}}, {1.0f, {214, 100, 20}}};
const std::vector<GradientStop> kIce = {{0.0f, {220, 255, 255}}, {1.0f, {70, 150, 255}}};

}  // namespace

Picture LogoPanel()
{
    constexpr int kWidth = zelvik::kSheetPanels[zelvik::kLogoSlot].width;
    constexpr int kHeight = zelvik::kSheetPanels[zelvik::kLogoSlot].height;
    constexpr float kSlant = 0.25f;
    Picture p = MakePicture(kWidth, kHeight);

    // A slanted plate: the left and right edges lean like the letters.
    auto left = [](float y) { return (kHeight - 1 - y) * kSlant; };
    auto right = [](float y) { return kWidth - 1 - y * kSlant; };
    Render(p, 4, [&](float x, float y, Colour& out) {
        if (x < left(y) || x > right(y)) return false;
        // Night sky with a glowing horizon, over a perspective grid.
        const float horizon = 33;
        Colour c = Gradient({{0, {8, 6, 34}}, {0.7f, {44, 14, 76}}, {1, {150, 40, 120}}}, y / horizon);
        if (y > horizon) {
            const float depth = (y - horizon) / (kHeight - horizon);  // 0 far ... 1 near
            c = Mix(Colour{40, 8, 56}, Colour{16, 4, 30}, depth);
            const float z = 1 / (depth + 0.08f);
            const float lineZ = std::fabs(std::fmod(z * 2.0f, 1.0f) - 0.5f);
            const float lineX = std::fabs(std::fmod((x - 80) / (8 + depth * 40) + 100.5f, 1.0f) - 0.5f);
            const float grid = std::max(Smoothstep(0.38f, 0.5f, lineZ), Smoothstep(0.42f, 0.5f, lineX));
            c = Mix(c, Colour{255, 70, 200}, grid * (0.35f + 0.65f * depth));
        }
        c = c + Colour{255, 90, 170} * (0.5f * std::exp(-std::fabs(y - horizon) / 2.5f));
        out = c;
        return true;
    });
    // Small stars above the horizon.
    Random random{77};
    for (int i = 0; i < 40; ++i) {
        const int x = static_cast<int>(Uniform(random) * kWidth);
        const int y = static_cast<int>(Uniform(random) * 28);
        if (OpaqueAt(p, x, y)) SetPixel(p, x, y, Mix(ColourAt(p, x, y), Colour{255, 255, 255}, 0.3f + 0.6f * Uniform(random)));
    }
    // The plate's rim: dark outside, bright along the top and left.
    Picture rim = p;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            if (!OpaqueAt(p, x, y)) continue;
            const bool edgeLeft = !OpaqueAt(p, x - 1, y);
            const bool edgeRight = !OpaqueAt(p, x + 1, y);
            const bool edgeTop = y == 0;
            const bool edgeBottom = y == kHeight - 1;
            if (edgeLeft || edgeRight || edgeTop || edgeBottom)
                SetPixel(rim, x, y, Colour{10, 6, 20});
            else if (!OpaqueAt(p, x - 2, y) || y == 1)
                SetPixel(rim, x, y, Colour{120, 230, 255});
            else if (!OpaqueAt(p, x + 2, y) || y == kHeight - 2)
                SetPixel(rim, x, y, Colour{60, 40, 140});
        }
    p = rim;

    // The name in chrome block letters.
    const float letterHeight = 27;
    const float gap = 3.5f;
    const float textWidth = LogoTextWidth("ZELVIK", letterHeight * 1.0f, gap) + letterHeight * kSlant;
    const float x0 = (kWidth - textWidth) / 2;
    const float y0 = 4;
    const Mask letters = LogoLetters("ZELVIK", kWidth, kHeight, x0, y0, letterHeight, kSlant, gap);
    TextStyle chrome;
    chrome.fill = kChrome;
    chrome.outline = Colour{6, 4, 16};
    chrome.shadowColour = Colour{14, 6, 30};
    chrome.highlight = 0.55f;
    PaintLettering(p, letters, static_cast<int>(y0), static_cast<int>(y0 + letterHeight), chrome);

    // The byline underneath.
    TextStyle byline;
    byline.fill = kIce;
    byline.outline = Colour{6, 4, 16};
    byline.shadow = false;
    byline.highlight = 0.2f;
    const std::string text = "A QUILLOMARTH PRODUCTION";
    const int width = TextWidth(text, byline);
    DrawText(p, (kWidth - width) / 2 - 2, 38, text, byline);
    return p;
}

// --- Captions ------------------------------------------------------------------

namespace {

// A caption line: an optional small label before a name in tall letters,
// or a title in large letters.
struct CaptionLine {
    std::string label;
    std::string name;
    bool title;
};

Picture Caption(const CaptionLine& line)
{
    Picture p = MakePicture(zelvik::kCaptionWidth, zelvik::kCaptionHeight);

    TextStyle big;
    big.fill = line.title ? kChrome : kGold;
    big.scaleX = line.title ? 2 : 1;
    big.scaleY = 2;
    big.bold = true;
    big.spacing = line.title ? 2 : 1;
    big.highlight = line.title ? 0.5f : 0.4f;

    TextStyle small;
    small.fill = kIce;
    small.highlight = 0.15f;

    const int gap = 4;
    const int labelWidth = line.label.empty() ? 0 : TextWidth(line.label, small) + gap;
    const int total = labelWidth + TextWidth(line.name, big);
    const int x = (zelvik::kCaptionWidth - total) / 2;
    const int top = 2;
    const int baseline = top + TextHeight(big);  // the row below the capitals
    if (!line.label.empty()) DrawText(p, x, baseline - TextHeight(small), line.label, small);
    DrawText(p, x + labelWidth, top, line.name, big);
    return p;
}

}  // namespace

std::vector<Picture> CaptionPictures()
{
    // Read one after another: the show's name, who made it, who did what,
    // and a greeting to finish.
    const std::vector<CaptionLine> lines = {
        {"", "ZELVIK", true},         {"a", "QUILLOMARTH", false}, {"", "PRODUCTION", false},
        {"code", "TAMBEROL", false}, {"gfx", "BRELM", false},      {"muzix", "JORP", false},
        {"", "GREETINGS", false},     {"to all", "SCENERS", false}, {"and", "YOU!", false},
    };
    std::vector<Picture> captions;
    for (const CaptionLine& line : lines) captions.push_back(Caption(line));
    return captions;
}

}  // namespace make_sheet
