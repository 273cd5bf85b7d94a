// The drawn dialog in the classic grey 3-D style: raised push buttons with a
// black frame for the default one, sunken check and radio boxes, labels and
// the dotted focus rectangle, all scaled by whole line widths.
#include "platform/dialog/dialog_internal.h"

#include <cmath>

namespace zelvik {

struct Colour {
    uint8_t r, g, b;
};
static constexpr Colour kFace{192, 192, 192};
static constexpr Colour kLight{223, 223, 223};
static constexpr Colour kHighlight{255, 255, 255};
static constexpr Colour kShadow{128, 128, 128};
static constexpr Colour kDarkShadow{0, 0, 0};
static constexpr Colour kBoxInterior{255, 255, 255};
static constexpr Colour kText{0, 0, 0};

static void Fill(SDL_Renderer* r, int32_t x, int32_t y, int32_t w, int32_t h, Colour c)
{
    if (w <= 0 || h <= 0) return;
    SDL_SetRenderDrawColor(r, c.r, c.g, c.b, 255);
    const SDL_Rect rect{x, y, w, h};
    SDL_RenderFillRect(r, &rect);
}

static PixelRect Inset(PixelRect r, int32_t by)
{
    return PixelRect{r.x + by, r.y + by, r.w - 2 * by, r.h - 2 * by};
}

// One bevel: top and left edges in `topLeft`, bottom and right in
// `bottomRight`, each t pixels wide.
static void Bevel(SDL_Renderer* r, PixelRect b, Colour topLeft, Colour bottomRight, int32_t t)
{
    Fill(r, b.x, b.y, b.w - t, t, topLeft);
    Fill(r, b.x, b.y, t, b.h - t, topLeft);
    Fill(r, b.x, b.y + b.h - t, b.w, t, bottomRight);
    Fill(r, b.x + b.w - t, b.y, t, b.h, bottomRight);
}

static void Frame(SDL_Renderer* r, PixelRect b, Colour c, int32_t t) { Bevel(r, b, c, c, t); }

// The dotted focus rectangle: every other line-width step along the edge.
static void DottedFrame(SDL_Renderer* r, PixelRect b, int32_t t)
{
    SDL_SetRenderDrawColor(r, kText.r, kText.g, kText.b, 255);
    for (int32_t x = b.x; x < b.x + b.w; x += 2 * t) {
        const SDL_Rect top{x, b.y, t, t}, bottom{x, b.y + b.h - t, t, t};
        SDL_RenderFillRect(r, &top);
        SDL_RenderFillRect(r, &bottom);
    }
    for (int32_t y = b.y; y < b.y + b.h; y += 2 * t) {
        const SDL_Rect left{b.x, y, t, t}, right{b.x + b.w - t, y, t, t};
        SDL_RenderFillRect(r, &left);
        SDL_RenderFillRect(r, &right);
    }
}

static void DrawLabel(Dialog* d, const DialogItem& item, int32_t x, int32_t y)
{
    if (item.label == nullptr) return;
    const SDL_Rect dst{x, y, item.labelW, item.labelH};
    SDL_RenderCopy(d->renderer, item.label, nullptr, &dst);
}

static void DrawPushButton(Dialog* d, int32_t index, bool isDefault, bool pressed)
{
    SDL_Renderer* r = d->renderer;
    const DialogItem& item = d->items[index];
    const int32_t u = d->unit;
    PixelRect b = item.rect;
    Fill(r, b.x, b.y, b.w, b.h, kFace);
    if (isDefault) {
        Frame(r, b, kDarkShadow, u);
        b = Inset(b, u);
    }
    int32_t shift = 0;
    if (pressed) {
        Frame(r, b, kShadow, u);
        shift = u;
    } else {
        Bevel(r, b, kHighlight, kDarkShadow, u);
        Bevel(r, Inset(b, u), kLight, kShadow, u);
    }
    const PixelRect& o = item.rect;
    DrawLabel(d, item, o.x + (o.w - item.labelW) / 2 + shift, o.y + (o.h - item.labelH) / 2 + shift);
    if (d->focus == index) DottedFrame(r, Inset(o, 4 * u), u);
}

// The classic 7 x 7 check mark.
static const char* const kCheckMark[7] = {
    "......X", ".....XX", "X...XXX", "XX.XXX.", "XXXXX..", ".XXX...", "..X....",
};

static void DrawCheckBox(Dialog* d, const DialogItem& item, bool pressed, int32_t boxX,
                         int32_t boxY)
{
    SDL_Renderer* r = d->renderer;
    const int32_t u = d->unit;
    const PixelRect box{boxX, boxY, 13 * u, 13 * u};
    Bevel(r, box, kShadow, kHighlight, u);
    Bevel(r, Inset(box, u), kDarkShadow, kLight, u);
    const PixelRect inside = Inset(box, 2 * u);
    Fill(r, inside.x, inside.y, inside.w, inside.h, pressed ? kFace : kBoxInterior);
    if (item.check == 0) return;
    for (int32_t row = 0; row < 7; ++row)
        for (int32_t col = 0; col < 7; ++col)
            if (kCheckMark[row][col] == 'X')
                Fill(r, inside.x + (col + 1) * u, inside.y + (row + 1) * u, u, u, kText);
}

// A radio button's round box, computed per pixel so that it stays round at
// every scale: two rings split along the diagonal (shadow above left, light
// below right), a white inside and, when checked, a round dot.
static void DrawRadioBox(Dialog* d, const DialogItem& item, bool pressed, int32_t boxX,
                         int32_t boxY)
{
    SDL_Renderer* r = d->renderer;
    const int32_t u = d->unit;
    const int32_t size = 12 * u;
    const float centre = size / 2.0f;
    const float outer = centre;
    for (int32_t y = 0; y < size; ++y) {
        for (int32_t x = 0; x < size; ++x) {
            const float dx = x + 0.5f - centre, dy = y + 0.5f - centre;
            const float dist = std::sqrt(dx * dx + dy * dy);
            if (dist > outer) continue;
            const bool upperLeft = dx + dy < 0.0f || (dx + dy == 0.0f && dy < 0.0f);
            Colour c;
            if (dist > outer - u)
                c = upperLeft ? kShadow : kHighlight;
            else if (dist > outer - 2 * u)
                c = upperLeft ? kDarkShadow : kLight;
            else if (item.check != 0 && dist <= 2.0f * u)
                c = kText;
            else
                c = pressed ? kFace : kBoxInterior;
            SDL_SetRenderDrawColor(r, c.r, c.g, c.b, 255);
            SDL_RenderDrawPoint(r, boxX + x, boxY + y);
        }
    }
}

static void DrawToggle(Dialog* d, int32_t index, bool pressed)
{
    const DialogItem& item = d->items[index];
    const int32_t u = d->unit;
    const PixelRect& b = item.rect;
    const bool radio = IsRadioButton(item);
    const int32_t boxSize = (radio ? 12 : 13) * u;
    const int32_t boxY = b.y + (b.h - boxSize) / 2;
    const SDL_Rect clip{b.x, b.y, b.w, b.h};
    SDL_RenderSetClipRect(d->renderer, &clip);
    Fill(d->renderer, b.x, b.y, b.w, b.h, kFace);
    if (radio)
        DrawRadioBox(d, item, pressed, b.x, boxY);
    else
        DrawCheckBox(d, item, pressed, b.x, boxY);
    const int32_t textX = b.x + 13 * u + 3 * u;
    const int32_t textY = b.y + (b.h - item.labelH) / 2;
    DrawLabel(d, item, textX, textY);
    if (d->focus == index)
        DottedFrame(d->renderer, PixelRect{textX - u, textY, item.labelW + 2 * u, item.labelH}, u);
    SDL_RenderSetClipRect(d->renderer, nullptr);
}

void DrawDialog(Dialog* d)
{
    Fill(d->renderer, 0, 0, d->clientW, d->clientH, kFace);
    const int32_t defaultId = DefaultId(d);
    for (int32_t i = 0; i < d->itemCount; ++i) {
        const DialogItem& item = d->items[i];
        if (!IsVisible(item)) continue;
        const bool pressed = (d->capture == i && d->captureInside) || d->spaceHeld == i;
        if (IsPushButton(item))
            DrawPushButton(d, i, item.id == defaultId, pressed);
        else
            DrawToggle(d, i, pressed);
    }
    SDL_RenderPresent(d->renderer);
    d->dirty = false;
}

}  // namespace zelvik
