#include "lettering.h"

#include <algorithm>
#include <cmath>

namespace make_sheet {

namespace {

// Glyph rows, 'X' inked; rows 0-6 are the capitals' height, rows 7-8 the
// descenders. A glyph is as wide as its longest row.
struct Glyph {
    char code;
    std::vector<const char*> rows;
};

const std::vector<Glyph>& Glyphs()
{
    static const std::vector<Glyph> glyphs = {
        {' ', {"..."}},
        {'!', {"X", "X", "X", "X", "X", ".", "X"}},
        {'\'', {"X", "X"}},
        {',', {"..", "..", "..", "..", "..", ".X", ".X", "X."}},
        {'-', {"...", "...", "...", "XXX"}},
        {'.', {".", ".", ".", ".", ".", ".", "X"}},
        {':', {".", ".", "X", ".", ".", ".", "X"}},
        {'?', {".XXX.", "X...X", "....X", "..XX.", "..X..", ".....", "..X.."}},
        {'0', {".XXX.", "X...X", "X..XX", "X.X.X", "XX..X", "X...X", ".XXX."}},
        {'1', {".X.", "XX.", ".X.", ".X.", ".X.", ".X.", "XXX"}},
        {'2', {".XXX.", "X...X", "....X", "...X.", "..X..", ".X...", "XXXXX"}},
        {'3', {"XXXX.", "....X", "....X", ".XXX.", "....X", "....X", "XXXX."}},
        {'4', {"...X.", "..XX.", ".X.X.", "X..X.", "XXXXX", "...X.", "...X."}},
        {'5', {"XXXXX", "X....", "XXXX.", "....X", "....X", "X...X", ".XXX."}},
        {'6', {"..XX.", ".X...", "X....", "XXXX.", "X...X", "X...X", ".XXX."}},
        {'7', {"XXXXX", "....X", "...X.", "..X..", ".X...", ".X...", ".X..."}},
        {'8', {".XXX.", "X...X", "X...X", ".XXX.", "X...X", "X...X", ".XXX."}},
        {'9', {".XXX.", "X...X", "X...X", ".XXXX", "....X", "...X.", ".XX.."}},
        {'A', {".XXX.", "X...X", "X...X", "XXXXX", "X...X", "X...X", "X...X"}},
        {'B', {"XXXX.", "X...X", "X...X", "XXXX.", "X...X", "X...X", "XXXX."}},
        {'C', {".XXX.", "X...X", "X....", "X....", "X....", "X...X", ".XXX."}},
        {'D', {"XXXX.", "X...X", "X...X", "X...X", "X...X", "X...X", "XXXX."}},
        {'E', {"XXXXX", "X....", "X....", "XXXX.", "X....", "X....", "XXXXX"}},
        {'F', {"XXXXX", "X....", "X....", "XXXX.", "X....", "X....", "X...."}},
        {'G', {".XXX.", "X...X", "X....", "X.XXX", "X...X", "X...X", ".XXXX"}},
        {'H', {"X...X", "X...X", "X...X", "XXXXX", "X...X", "X...X", "X...X"}},
        {'I', {"XXX", ".X.", ".X.", ".X.", ".X.", ".X.", "XXX"}},
        {'J', {"..XXX", "...X.", "...X.", "...X.", "...X.", "X..X.", ".XX.."}},
        {'K', {"X...X", "X..X.", "X.X..", "XX...", "X.X..", "X..X.", "X...X"}},
        {'L', {"X....", "X....", "X....", "X....", "X....", "X....", "XXXXX"}},
        {'M', {"X...X", "XX.XX", "X.X.X", "X.X.X", "X...X", "X...X", "X...X"}},
        {'N', {"X...X", "XX..X", "X.X.X", "X..XX", "X...X", "X...X", "X...X"}},
        {'O', {".XXX.", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."}},
        {'P', {"XXXX.", "X...X", "X...X", "XXXX.", "X....", "X....", "X...."}},
        {'Q', {".XXX.", "X...X", "X...X", "X...X", "X.X.X", "X..X.", ".XX.X"}},
        {'R', {"XXXX.", "X...X", "X...X", "XXXX.", "X.X..", "X..X.", "X...X"}},
        {'S', {".XXXX", "X....", "X....", ".XXX.", "....X", "....X", "XXXX."}},
        {'T', {"XXXXX", "..X..", "..X..", "..X..", "..X..", "..X..", "..X.."}},
        {'U', {"X...X", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."}},
        {'V', {"X...X", "X...X", "X...X", "X...X", "X...X", ".X.X.", "..X.."}},
        {'W', {"X...X", "X...X", "X...X", "X.X.X", "X.X.X", "XX.XX", "X...X"}},
        {'X', {"X...X", "X...X", ".X.X.", "..X..", ".X.X.", "X...X", "X...X"}},
        {'Y', {"X...X", "X...X", ".X.X.", "..X..", "..X..", "..X..", "..X.."}},
        {'Z', {"XXXXX", "....X", "...X.", "..X..", ".X...", "X....", "XXXXX"}},
        {'a', {".....", ".....", ".XXX.", "....X", ".XXXX", "X...X", ".XXXX"}},
        {'b', {"X....", "X....", "XXXX.", "X...X", "X...X", "X...X", "XXXX."}},
        {'c', {"....", "....", ".XXX", "X...", "X...", "X...", ".XXX"}},
        {'d', {"....X", "....X", ".XXXX", "X...X", "X...X", "X...X", ".XXXX"}},
        {'e', {".....", ".....", ".XXX.", "X...X", "XXXXX", "X....", ".XXX."}},
        {'f', {"..XX", ".X..", "XXX.", ".X..", ".X..", ".X..", ".X.."}},
        {'g', {".....", ".....", ".XXXX", "X...X", "X...X", "X...X", ".XXXX", "....X", ".XXX."}},
        {'h', {"X....", "X....", "XXXX.", "X...X", "X...X", "X...X", "X...X"}},
        {'i', {"X", ".", "X", "X", "X", "X", "X"}},
        {'j', {"..X", "...", "..X", "..X", "..X", "..X", "..X", "X.X", ".X."}},
        {'k', {"X...", "X...", "X..X", "X.X.", "XX..", "X.X.", "X..X"}},
        {'l', {"X.", "X.", "X.", "X.", "X.", "X.", ".X"}},
        {'m', {".....", ".....", "XX.X.", "X.X.X", "X.X.X", "X.X.X", "X...X"}},
        {'n', {".....", ".....", "XXXX.", "X...X", "X...X", "X...X", "X...X"}},
        {'o', {".....", ".....", ".XXX.", "X...X", "X...X", "X...X", ".XXX."}},
        {'p', {".....", ".....", "XXXX.", "X...X", "X...X", "X...X", "XXXX.", "X....", "X...."}},
        {'q', {".....", ".....", ".XXXX", "X...X", "X...X", "X...X", ".XXXX", "....X", "....X"}},
        {'r', {"....", "....", "X.XX", "XX..", "X...", "X...", "X..."}},
        {'s', {".....", ".....", ".XXXX", "X....", ".XXX.", "....X", "XXXX."}},
        {'t', {".X..", ".X..", "XXX.", ".X..", ".X..", ".X..", "..XX"}},
        {'u', {".....", ".....", "X...X", "X...X", "X...X", "X...X", ".XXXX"}},
        {'v', {".....", ".....", "X...X", "X...X", "X...X", ".X.X.", "..X.."}},
        {'w', {".....", ".....", "X...X", "X...X", "X.X.X", "X.X.X", ".X.X."}},
        {'x', {".....", ".....", "X...X", ".X.X.", "..X..", ".X.X.", "X...X"}},
        {'y', {".....", ".....", "X...X", "X...X", "X...X", "X...X", ".XXXX", "....X", ".XXX."}},
        {'z', {".....", ".....", "XXXXX", "...X.", "..X..", ".X...", "XXXXX"}},
    };
    return glyphs;
}

// Bold letters whose strokes would run together if simply thickened are
// drawn from their own, already bold, patterns.
const std::vector<Glyph>& BoldGlyphs()
{
    static const std::vector<Glyph> glyphs = {
        {'G', {".XXXX.", "XX..XX", "XX....", "XX.XXX", "XX..XX", "XX..XX", ".XXXXX"}},
        {'M', {"XX...XX", "XXX.XXX", "XXXXXXX", "XX.X.XX", "XX...XX", "XX...XX", "XX...XX"}},
        {'W', {"XX...XX", "XX...XX", "XX...XX", "XX.X.XX", "XXXXXXX", "XXX.XXX", "XX...XX"}},
    };
    return glyphs;
}

// The glyph of a code and whether it still needs thickening.
const Glyph* Find(char code, bool bold, bool* thicken)
{
    *thicken = bold;
    if (bold)
        for (const Glyph& g : BoldGlyphs())
            if (g.code == code) {
                *thicken = false;
                return &g;
            }
    for (const Glyph& g : Glyphs())
        if (g.code == code) return &g;
    return nullptr;
}

int GlyphWidth(const Glyph& g)
{
    size_t width = 0;
    for (const char* row : g.rows) width = std::max(width, std::char_traits<char>::length(row));
    return static_cast<int>(width);
}

int Advance(const Glyph& g, bool thicken, const TextStyle& style)
{
    return GlyphWidth(g) * style.scaleX + (thicken ? 1 : 0) + style.spacing;
}

}  // namespace

int TextWidth(const std::string& text, const TextStyle& style)
{
    int width = 0;
    bool thicken = false;
    for (char c : text)
        if (const Glyph* g = Find(c, style.bold, &thicken)) width += Advance(*g, thicken, style);
    return width > 0 ? width - style.spacing : 0;
}

int TextHeight(const TextStyle& style) { return 7 * style.scaleY; }

void TextMask(Mask& mask, int x, int y, const std::string& text, const TextStyle& style)
{
    for (char c : text) {
        bool thicken = false;
        const Glyph* g = Find(c, style.bold, &thicken);
        if (g == nullptr) continue;
        for (size_t r = 0; r < g->rows.size(); ++r)
            for (int j = 0; g->rows[r][j] != '\0'; ++j) {
                if (g->rows[r][j] != 'X') continue;
                for (int sy = 0; sy < style.scaleY; ++sy)
                    for (int sx = 0; sx < style.scaleX + (thicken ? 1 : 0); ++sx) {
                        const int px = x + j * style.scaleX + sx;
                        const int py = y + static_cast<int>(r) * style.scaleY + sy;
                        if (px >= 0 && py >= 0 && px < mask.width && py < mask.height)
                            mask.bits[px + mask.width * py] = 1;
                    }
            }
        x += Advance(*g, thicken, style);
    }
}

void PaintLettering(Picture& p, const Mask& letters, int top, int bottom, const TextStyle& style)
{
    const Mask ring = Ring(letters);
    if (style.shadow) {
        for (int y = p.height - 1; y >= 1; --y)
            for (int x = p.width - 1; x >= 1; --x)
                if ((MaskAt(letters, x - 1, y - 1) || MaskAt(ring, x - 1, y - 1)) && !MaskAt(letters, x, y) &&
                    !MaskAt(ring, x, y))
                    SetPixel(p, x, y, style.shadowColour);
    }
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            if (MaskAt(ring, x, y)) SetPixel(p, x, y, style.outline);
            if (!MaskAt(letters, x, y)) continue;
            const float t = bottom > top ? Clamp((y + 0.5f - top) / (bottom - top), 0, 1) : 0.0f;
            Colour c = Gradient(style.fill, t);
            // The upper edge of each stroke catches the light.
            if (!MaskAt(letters, x, y - 1)) c = Mix(c, Colour{255, 255, 255}, style.highlight);
            SetPixel(p, x, y, c);
        }
}

void DrawText(Picture& p, int x, int y, const std::string& text, const TextStyle& style)
{
    Mask letters = MakeMask(p.width, p.height);
    TextMask(letters, x, y, text, style);
    PaintLettering(p, letters, y, y + TextHeight(style), style);
}

// --- Logo letters ----------------------------------------------------------

namespace {

// In units of the letter height: u across (0 ... width), v down (0 ... 1).
struct Bar {
    float u0, v0, u1, v1;
};
struct Stroke {
    float ua, va, ub, vb, thickness;
};
struct BlockLetter {
    char code;
    float width;
    std::vector<Bar> bars;
    std::vector<Stroke> strokes;
};

constexpr float kStem = 0.24f;  // stroke thickness

const std::vector<BlockLetter>& BlockLetters()
{
    constexpr float t = kStem;
    static const std::vector<BlockLetter> letters = {
        {'Z', 0.74f, {{0, 0, 0.74f, t}, {0, 1 - t, 0.74f, 1}}, {{0.74f - 0.02f, t * 0.8f, 0.02f, 1 - t * 0.8f, t * 1.18f}}},
        {'E', 0.62f, {{0, 0, t, 1}, {0, 0, 0.62f, t}, {0, 0.5f - t / 2, 0.52f, 0.5f + t / 2}, {0, 1 - t, 0.62f, 1}}, {}},
        {'L', 0.5f, {{0, 0, t, 1}, {0, 1 - t, 0.5f, 1}}, {}},
        {'V', 0.82f, {}, {{t * 0.55f, -0.2f, 0.41f, 1.2f, t * 1.12f}, {0.82f - t * 0.55f, -0.2f, 0.41f, 1.2f, t * 1.12f}}},
        {'I', t, {{0, 0, t, 1}}, {}},
        {'K', 0.72f, {{0, 0, t, 1}}, {{t * 0.7f, 0.66f, 0.72f - t * 0.45f, -0.05f, t * 1.1f}, {t * 1.4f, 0.42f, 0.72f - t * 0.4f, 1.05f, t * 1.15f}}},
    };
    return letters;
}

const BlockLetter* FindBlock(char code)
{
    for (const BlockLetter& l : BlockLetters())
        if (l.code == code) return &l;
    return nullptr;
}

bool Covers(const BlockLetter& l, float u, float v)
{
    if (u < 0 || u > l.width || v < 0 || v > 1) return false;
    for (const Bar& b : l.bars)
        if (u >= b.u0 && u <= b.u1 && v >= b.v0 && v <= b.v1) return true;
    for (const Stroke& s : l.strokes) {
        const float du = s.ub - s.ua;
        const float dv = s.vb - s.va;
        const float length = std::sqrt(du * du + dv * dv);
        const float along = ((u - s.ua) * du + (v - s.va) * dv) / length;
        const float across = std::fabs((u - s.ua) * dv - (v - s.va) * du) / length;
        if (along >= 0 && along <= length && across <= s.thickness / 2) return true;
    }
    return false;
}

// Pairs set closer than their boxes: the foot of an L tucks under the open
// lower-left of a V. In letter heights.
float Kerning(char first, char second)
{
    return first == 'L' && second == 'V' ? -0.16f : 0.0f;
}

// Left edges of the letters of text, and the right edge of the last.
std::vector<float> LetterPositions(const std::string& text, float x, float letterHeight, float gap)
{
    std::vector<float> left;
    float pen = x;
    char previous = 0;
    for (char c : text) {
        const BlockLetter* l = FindBlock(c);
        if (l == nullptr) continue;
        if (previous != 0) pen += gap + Kerning(previous, c) * letterHeight;
        left.push_back(pen);
        pen += l->width * letterHeight;
        previous = c;
    }
    left.push_back(pen);
    return left;
}

}  // namespace

float LogoTextWidth(const std::string& text, float letterHeight, float gap)
{
    return LetterPositions(text, 0, letterHeight, gap).back();
}

Mask LogoLetters(const std::string& text, int width, int height, float x, float y, float letterHeight,
                 float slant, float gap)
{
    Mask mask = MakeMask(width, height);
    const std::vector<float> lefts = LetterPositions(text, x, letterHeight, gap);
    std::vector<const BlockLetter*> letters;
    for (char c : text)
        if (const BlockLetter* l = FindBlock(c)) letters.push_back(l);
    constexpr int kSamples = 4;
    for (int py = 0; py < height; ++py)
        for (int px = 0; px < width; ++px) {
            int covered = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx) {
                    const float fx = px + (sx + 0.5f) / kSamples;
                    const float fy = py + (sy + 0.5f) / kSamples;
                    const float v = (fy - y) / letterHeight;
                    for (size_t i = 0; i < letters.size(); ++i) {
                        const float u = (fx - lefts[i] - (1 - v) * letterHeight * slant) / letterHeight;
                        if (Covers(*letters[i], u, v)) {
                            ++covered;
                            break;
                        }
                    }
                }
            mask.bits[px + width * py] = 2 * covered >= kSamples * kSamples;
        }
    return mask;
}

}  // namespace make_sheet
