// Lettering for the sheet: a proportional 5x7 pixel font (with descenders)
// drawn at integer scales with a gradient fill, outline and shadow, and the
// large slanted block letters of the logo built from bars and strokes.
#pragma once

#include <string>
#include <vector>

#include "picture.h"

namespace make_sheet {

struct TextStyle {
    int scaleX = 1;
    int scaleY = 1;
    bool bold = false;                // thicken vertical strokes by a pixel
    int spacing = 1;                  // blank pixels between letters
    std::vector<GradientStop> fill;   // top (0) to baseline (1) of the capitals
    Colour outline{0, 0, 0};
    bool shadow = true;               // a dark copy one pixel down and right
    Colour shadowColour{20, 12, 40};
    float highlight = 0.35f;          // how much the top edge of strokes lightens
};

// Width and height in pixels of a text line without outline and shadow;
// the height counts the capitals only (descenders hang below it).
int TextWidth(const std::string& text, const TextStyle& style);
int TextHeight(const TextStyle& style);

// Marks the letter pixels of text with its top-left corner at (x, y).
void TextMask(Mask& mask, int x, int y, const std::string& text, const TextStyle& style);

// Draws text with its top-left corner (of the capitals, without outline)
// at (x, y): shadow, outline, then the gradient fill.
void DrawText(Picture& p, int x, int y, const std::string& text, const TextStyle& style);

// Fills a mask with effects: shadow, outline ring and the fill gradient
// running from row top to row bottom.
void PaintLettering(Picture& p, const Mask& letters, int top, int bottom, const TextStyle& style);

// The logo's letters: each a set of bars and strokes in a box `height`
// pixels tall, slanted by `slant` pixels per pixel of height, set from
// (x, y) with `gap` pixels between letters. Returns the covered mask of a
// picture of the given size.
Mask LogoLetters(const std::string& text, int width, int height, float x, float y, float letterHeight,
                 float slant, float gap);
float LogoTextWidth(const std::string& text, float letterHeight, float gap);

}  // namespace make_sheet
