#include "platform/window_system.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <cmath>
#include <cstdlib>

#include "res/options_dialog.h"

namespace zelvik {

const char* WindowSystemError() { return SDL_GetError(); }
void ClearWindowSystemError() { SDL_ClearError(); }

bool InitWindowSystem()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return true;
    // SDL would switch the screen saver off for as long as video is up;
    // only the show itself may do that, and only while it runs.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

void SetCursor(const void* cursor) { SDL_ShowCursor(cursor == nullptr ? SDL_DISABLE : SDL_ENABLE); }

uint32_t VirtualKeyFromSdl(int32_t key)
{
    if (key >= SDLK_a && key <= SDLK_z) return static_cast<uint32_t>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return static_cast<uint32_t>(key);
    if (key >= SDLK_F1 && key <= SDLK_F12) return 0x70u + static_cast<uint32_t>(key - SDLK_F1);
    switch (key) {
    case SDLK_BACKSPACE: return 0x08;
    case SDLK_TAB: return VK_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_LEFT: return 0x25;
    case SDLK_UP: return 0x26;
    case SDLK_RIGHT: return 0x27;
    case SDLK_DOWN: return 0x28;
    default: return 0;
    }
}

// --- Dialog units ---------------------------------------------------------

int32_t MulDiv(int32_t a, int32_t b, int32_t c)
{
    if (c == 0) return -1;
    const int64_t product = static_cast<int64_t>(a) * b;
    const int64_t magnitude = (std::llabs(product) + std::llabs(c) / 2) / std::llabs(c);
    return static_cast<int32_t>(((product < 0) != (c < 0)) ? -magnitude : magnitude);
}

static PixelRect ToPixels(int32_t x, int32_t y, int32_t cx, int32_t cy, DialogBaseUnits base)
{
    return PixelRect{MulDiv(x, base.x, 4), MulDiv(y, base.y, 8), MulDiv(cx, base.x, 4),
                     MulDiv(cy, base.y, 8)};
}

DialogLayout LayoutDialog(const DialogTemplate& t, DialogBaseUnits base)
{
    DialogLayout layout{};
    layout.window = ToPixels(t.x, t.y, t.cx, t.cy, base);
    layout.itemCount = t.itemCount < kMaxDialogItems ? t.itemCount : kMaxDialogItems;
    for (int32_t i = 0; i < layout.itemCount; ++i) {
        const DialogItemTemplate& item = t.items[i];
        layout.items[i] = ToPixels(item.x, item.y, item.cx, item.cy, base);
    }
    return layout;
}

// --- Dialog state ------------------------------------------------------------

struct DialogItem {
    int32_t id;
    uint32_t style;
    const char* text;
    PixelRect rect;  // drawable pixels
    intptr_t check;
    SDL_Texture* label;
    int32_t labelW, labelH;
};

struct Dialog {
    const DialogTemplate* dialogTemplate;
    DialogProc proc;
    SDL_Renderer* renderer;
    TTF_Font* font;
    DialogBaseUnits base;
    float pixelsPerPoint;  // drawable pixels per window coordinate
    float uiScale;         // size of the drawing relative to 96 dpi
    int32_t unit;          // width of one classic 1-pixel line
    int32_t clientW, clientH;
    int32_t itemCount;
    DialogItem items[kMaxDialogItems];
    int32_t focus;    // item index, -1 for none
    int32_t capture;  // item held down by the mouse, -1 for none
    bool captureInside;
    int32_t spaceHeld;  // item held down by the space bar, -1 for none
    bool ended;
    intptr_t result;
    bool dirty;
};

struct Window {
    SDL_Window* sdlWindow;
    Dialog* dialog;
};

static void (*DialogCreatedHook)(WindowHandle);
void SetDialogCreatedHook(void (*hook)(WindowHandle)) { DialogCreatedHook = hook; }

uint32_t GetSdlWindowId(WindowHandle window)
{
    return window && window->sdlWindow ? SDL_GetWindowID(window->sdlWindow) : 0;
}

WindowHandle AttachWindowHandle(SDL_Window* window) { return new Window{window, nullptr}; }
void DetachWindowHandle(WindowHandle window)
{
    if (window && window->dialog == nullptr) delete window;  // dialogs go through DestroyDialog
}

static Dialog* DialogOf(WindowHandle window) { return window ? window->dialog : nullptr; }

static int32_t IndexOfId(const Dialog* d, int32_t id)
{
    for (int32_t i = 0; i < d->itemCount; ++i)
        if (d->items[i].id == id) return i;
    return -1;
}

static uint32_t ButtonType(const DialogItem& item) { return item.style & BS_TYPEMASK; }
static bool IsPushButton(const DialogItem& item)
{
    return ButtonType(item) == BS_PUSHBUTTON || ButtonType(item) == BS_DEFPUSHBUTTON;
}
static bool IsRadioButton(const DialogItem& item) { return ButtonType(item) == BS_RADIOBUTTON; }
static bool IsVisible(const DialogItem& item) { return (item.style & WS_VISIBLE) != 0; }

static int32_t DefaultId(const Dialog* d)
{
    // A focused push button is the one Enter presses; otherwise the
    // template's default push button.
    if (d->focus >= 0 && IsPushButton(d->items[d->focus])) return d->items[d->focus].id;
    for (int32_t i = 0; i < d->itemCount; ++i)
        if (ButtonType(d->items[i]) == BS_DEFPUSHBUTTON) return d->items[i].id;
    return IDOK;
}

int32_t GetDefaultItem(WindowHandle window)
{
    const Dialog* d = DialogOf(window);
    return d ? DefaultId(d) : 0;
}

int32_t GetFocusedItem(WindowHandle window)
{
    const Dialog* d = DialogOf(window);
    return d && d->focus >= 0 ? d->items[d->focus].id : 0;
}

bool IsItemPressed(WindowHandle window, int32_t id)
{
    const Dialog* d = DialogOf(window);
    if (d == nullptr) return false;
    const int32_t i = IndexOfId(d, id);
    return i >= 0 && ((d->capture == i && d->captureInside) || d->spaceHeld == i);
}

bool GetDlgItemRect(WindowHandle window, int32_t id, PixelRect* rect)
{
    const Dialog* d = DialogOf(window);
    if (d == nullptr) return false;
    const int32_t i = IndexOfId(d, id);
    if (i < 0) return false;
    const PixelRect& r = d->items[i].rect;
    const float s = d->pixelsPerPoint;
    *rect = PixelRect{static_cast<int32_t>(r.x / s), static_cast<int32_t>(r.y / s),
                      static_cast<int32_t>(r.w / s), static_cast<int32_t>(r.h / s)};
    return true;
}

DialogBaseUnits GetDialogBaseUnits(WindowHandle window)
{
    const Dialog* d = DialogOf(window);
    return d ? d->base : DialogBaseUnits{0, 0};
}

float GetDialogScale(WindowHandle window)
{
    const Dialog* d = DialogOf(window);
    return d ? d->uiScale : 0.0f;
}

intptr_t SendDlgItemMessage(WindowHandle window, int32_t id, uint32_t message, uintptr_t wParam,
                            intptr_t)
{
    Dialog* d = DialogOf(window);
    if (d == nullptr) return 0;
    const int32_t i = IndexOfId(d, id);
    if (i < 0) return 0;
    switch (message) {
    case BM_SETCHECK:
        d->items[i].check = static_cast<intptr_t>(wParam);
        d->dirty = true;
        return 0;
    case BM_GETCHECK: return d->items[i].check;
    default: return 0;
    }
}

bool EndDialog(WindowHandle window, intptr_t result)
{
    Dialog* d = DialogOf(window);
    if (d == nullptr) return false;
    d->ended = true;
    d->result = result;
    return true;
}

bool DialogEnded(WindowHandle window, intptr_t* result)
{
    const Dialog* d = DialogOf(window);
    if (d == nullptr) return true;
    if (d->ended && result) *result = d->result;
    return d->ended;
}

// --- Drawing in the classic style -------------------------------------------

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

static void DrawDialog(Dialog* d)
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

// --- Input ----------------------------------------------------------------------

static void SendCommand(WindowHandle window, int32_t id)
{
    Dialog* d = window->dialog;
    d->proc(window, WM_COMMAND, static_cast<uintptr_t>(static_cast<uint16_t>(id)) | (BN_CLICKED << 16),
            0);
    d->dirty = true;
}

static void SetFocusIndex(Dialog* d, int32_t index)
{
    if (d->focus == index) return;
    d->focus = index;
    d->spaceHeld = -1;
    d->dirty = true;
}

// Tab and Shift+Tab: the next visible control with a tab stop, wrapping.
static void MoveTabFocus(Dialog* d, int32_t step)
{
    const int32_t n = d->itemCount;
    int32_t i = d->focus < 0 ? (step > 0 ? -1 : n) : d->focus;
    for (int32_t tries = 0; tries < n; ++tries) {
        i = (i + step + n) % n;
        if (IsVisible(d->items[i]) && (d->items[i].style & WS_TABSTOP)) {
            SetFocusIndex(d, i);
            return;
        }
    }
}

// Arrow keys: the next visible control of the focused control's group (a
// group runs from a WS_GROUP control to the next one); a radio button that
// gets the focus this way is clicked.
static void MoveGroupFocus(WindowHandle window, int32_t step)
{
    Dialog* d = window->dialog;
    if (d->focus < 0) return;
    int32_t first = d->focus;
    while (first > 0 && !(d->items[first].style & WS_GROUP)) --first;
    int32_t end = d->focus + 1;
    while (end < d->itemCount && !(d->items[end].style & WS_GROUP)) ++end;
    const int32_t n = end - first;
    int32_t i = d->focus;
    for (int32_t tries = 1; tries < n; ++tries) {
        i = first + ((i - first + step) % n + n) % n;
        if (!IsVisible(d->items[i])) continue;
        SetFocusIndex(d, i);
        if (IsRadioButton(d->items[i])) SendCommand(window, d->items[i].id);
        return;
    }
}

static int32_t HitTest(const Dialog* d, int32_t x, int32_t y)
{
    for (int32_t i = 0; i < d->itemCount; ++i) {
        const PixelRect& r = d->items[i].rect;
        if (IsVisible(d->items[i]) && x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h)
            return i;
    }
    return -1;
}

static bool Inside(const PixelRect& r, int32_t x, int32_t y)
{
    return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
}

bool IsDialogMessage(WindowHandle window, const SDL_Event& e)
{
    Dialog* d = DialogOf(window);
    if (d == nullptr || d->ended) return false;
    const uint32_t ownId = GetSdlWindowId(window);
    const auto scaled = [d](int32_t v) { return static_cast<int32_t>(v * d->pixelsPerPoint); };

    switch (e.type) {
    case SDL_QUIT: SendCommand(window, IDCANCEL); return true;
    case SDL_WINDOWEVENT:
        if (e.window.windowID != ownId) return false;
        if (e.window.event == SDL_WINDOWEVENT_CLOSE)
            SendCommand(window, IDCANCEL);
        else
            d->dirty = true;
        return true;
    case SDL_MOUSEBUTTONDOWN: {
        if (e.button.windowID != ownId || e.button.button != SDL_BUTTON_LEFT) return false;
        const int32_t hit = HitTest(d, scaled(e.button.x), scaled(e.button.y));
        if (hit >= 0) {
            SetFocusIndex(d, hit);
            d->capture = hit;
            d->captureInside = true;
            d->dirty = true;
        }
        return true;
    }
    case SDL_MOUSEMOTION:
        if (e.motion.windowID != ownId) return false;
        if (d->capture >= 0) {
            const bool inside = Inside(d->items[d->capture].rect, scaled(e.motion.x), scaled(e.motion.y));
            if (inside != d->captureInside) d->dirty = true;
            d->captureInside = inside;
        }
        return true;
    case SDL_MOUSEBUTTONUP: {
        if (e.button.windowID != ownId || e.button.button != SDL_BUTTON_LEFT) return false;
        const int32_t held = d->capture;
        d->capture = -1;
        d->dirty = true;
        // A click is a press and a release on the same control.
        if (held >= 0 && Inside(d->items[held].rect, scaled(e.button.x), scaled(e.button.y)))
            SendCommand(window, d->items[held].id);
        return true;
    }
    case SDL_KEYDOWN: {
        if (e.key.windowID != ownId && e.key.windowID != 0) return false;
        const SDL_Keycode key = e.key.keysym.sym;
        if (key == SDLK_ESCAPE) {
            SendCommand(window, IDCANCEL);
        } else if (key == SDLK_RETURN || key == SDLK_KP_ENTER) {
            SendCommand(window, GetDefaultItem(window));
        } else if (key == SDLK_TAB) {
            MoveTabFocus(d, (e.key.keysym.mod & KMOD_SHIFT) ? -1 : 1);
        } else if (key == SDLK_SPACE) {
            if (!e.key.repeat && d->focus >= 0) {
                d->spaceHeld = d->focus;
                d->dirty = true;
            }
        } else if (key == SDLK_UP || key == SDLK_LEFT) {
            MoveGroupFocus(window, -1);
        } else if (key == SDLK_DOWN || key == SDLK_RIGHT) {
            MoveGroupFocus(window, 1);
        }
        return true;
    }
    case SDL_KEYUP:
        if (e.key.windowID != ownId && e.key.windowID != 0) return false;
        if (e.key.keysym.sym == SDLK_SPACE && d->spaceHeld >= 0) {
            const int32_t held = d->spaceHeld;
            d->spaceHeld = -1;
            d->dirty = true;
            if (held == d->focus) SendCommand(window, d->items[held].id);
        }
        return true;
    default: return false;
    }
}

// --- Creation ---------------------------------------------------------------------

static const char* const kFontFiles[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/TTF/DejaVuSans.ttf",
};

static const char* FindDialogFont()
{
    if (const char* chosen = std::getenv("ZELVIK_DIALOG_FONT"); chosen && *chosen) return chosen;
    for (const char* path : kFontFiles)
        if (SDL_RWops* file = SDL_RWFromFile(path, "rb")) {
            SDL_RWclose(file);
            return path;
        }
    return nullptr;
}

// ZELVIK_DIALOG_SCALE (1 to 4) draws the dialog larger on screens whose
// density the window system does not report.
static float ScaleOverride()
{
    const char* text = std::getenv("ZELVIK_DIALOG_SCALE");
    if (text == nullptr) return 0.0f;
    const float value = std::strtof(text, nullptr);
    return value >= 1.0f && value <= 4.0f ? value : 0.0f;
}

static void FreeDialog(Window* window)
{
    Dialog* d = window->dialog;
    if (d) {
        for (int32_t i = 0; i < d->itemCount; ++i)
            if (d->items[i].label) SDL_DestroyTexture(d->items[i].label);
        if (d->font) TTF_CloseFont(d->font);
        if (d->renderer) SDL_DestroyRenderer(d->renderer);
        delete d;
        TTF_Quit();
    }
    if (window->sdlWindow) SDL_DestroyWindow(window->sdlWindow);
    delete window;
}

WindowHandle CreateDialogParam(int32_t templateId, WindowHandle, DialogProc proc, intptr_t param)
{
    const DialogTemplate* t = FindDialogTemplate(templateId);
    if (t == nullptr) {
        SDL_SetError("no dialog resource %d", static_cast<int>(templateId));
        return nullptr;
    }
    if (!InitWindowSystem()) return nullptr;
    const char* fontFile = FindDialogFont();
    if (fontFile == nullptr) {
        SDL_SetError("no sans-serif font for the dialog (%s is missing; install fonts-dejavu-core)",
                     kFontFiles[0]);
        return nullptr;
    }
    if (TTF_Init() != 0) return nullptr;

    auto* window = new Window{nullptr, new Dialog{}};
    Dialog* d = window->dialog;
    d->dialogTemplate = t;
    d->proc = proc;
    d->focus = d->capture = d->spaceHeld = -1;

    // On a high-density screen a window has more pixels than coordinates;
    // the dialog is drawn at the pixels' own resolution. A hidden probe
    // window tells the ratio before the dialog's own window is made.
    SDL_Window* probe = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 64, 64,
                                         SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI);
    if (probe == nullptr) {
        FreeDialog(window);
        return nullptr;
    }
    int32_t probeW = 0, probeH = 0, pixelsW = 0, pixelsH = 0;
    SDL_GetWindowSize(probe, &probeW, &probeH);
    SDL_GetWindowSizeInPixels(probe, &pixelsW, &pixelsH);
    SDL_DestroyWindow(probe);
    d->pixelsPerPoint = probeW > 0 && pixelsW > probeW ? static_cast<float>(pixelsW) / probeW : 1.0f;
    const float override = ScaleOverride();
    d->uiScale = override > 0.0f ? override : d->pixelsPerPoint;
    d->unit = static_cast<int32_t>(std::lround(d->uiScale));
    if (d->unit < 1) d->unit = 1;

    const unsigned dpi = static_cast<unsigned>(std::lround(96.0f * d->uiScale));
    d->font = TTF_OpenFontDPI(fontFile, t->pointSize, dpi, dpi);
    if (d->font == nullptr) {
        FreeDialog(window);
        return nullptr;
    }
    // The average character width as the window system measures it: the
    // 52 letters' extent, halved twice with rounding.
    int32_t lettersW = 0, lettersH = 0;
    TTF_SizeUTF8(d->font, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", &lettersW, &lettersH);
    d->base = DialogBaseUnits{(lettersW / 26 + 1) / 2, TTF_FontHeight(d->font)};

    const DialogLayout layout = LayoutDialog(*t, d->base);
    d->clientW = layout.window.w;
    d->clientH = layout.window.h;
    d->itemCount = layout.itemCount;
    // The window is made at its final place and size (a hidden window is not
    // reliably moved before it is first shown).
    const float s = d->pixelsPerPoint;
    window->sdlWindow = SDL_CreateWindow(
        t->caption, static_cast<int>(layout.window.x / s), static_cast<int>(layout.window.y / s),
        static_cast<int>(std::ceil(d->clientW / s)), static_cast<int>(std::ceil(d->clientH / s)),
        SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI);
    if (window->sdlWindow == nullptr) {
        FreeDialog(window);
        return nullptr;
    }
    d->renderer = SDL_CreateRenderer(window->sdlWindow, -1, 0);
    if (d->renderer == nullptr) {
        FreeDialog(window);
        return nullptr;
    }
    for (int32_t i = 0; i < d->itemCount; ++i) {
        DialogItem& item = d->items[i];
        item.id = t->items[i].id;
        item.style = t->items[i].style;
        item.text = t->items[i].text;
        item.rect = layout.items[i];
        if (SDL_Surface* text = TTF_RenderUTF8_Blended(d->font, item.text, SDL_Color{0, 0, 0, 255})) {
            item.label = SDL_CreateTextureFromSurface(d->renderer, text);
            item.labelW = text->w;
            item.labelH = text->h;
            SDL_FreeSurface(text);
        }
    }
    // The procedure initialises the controls; a non-zero answer gives the
    // focus to the first control with a tab stop.
    if (proc(window, WM_INITDIALOG, 0, param) != 0) MoveTabFocus(d, 1);
    SDL_ShowWindow(window->sdlWindow);
    DrawDialog(d);
    return window;
}

void DestroyDialog(WindowHandle window)
{
    if (window == nullptr) return;
    FreeDialog(window);
    // Input meant for the dialog (a close request, a key still going up)
    // must not reach whatever window comes next.
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

intptr_t DialogBoxParam(int32_t templateId, WindowHandle owner, DialogProc proc, intptr_t param)
{
    WindowHandle dialog = CreateDialogParam(templateId, owner, proc, param);
    if (dialog == nullptr) return -1;
    if (DialogCreatedHook) DialogCreatedHook(dialog);
    intptr_t result = 0;
    bool stopSent = false;
    while (!DialogEnded(dialog, &result)) {
        // A stop signal cancels the dialog as its close button does; the
        // wait below wakes at least every 50 ms to look for one.
        if (!stopSent && StopSignalReceived()) {
            stopSent = true;
            SendCommand(dialog, IDCANCEL);
            continue;
        }
        SDL_Event event;
        if (!SDL_WaitEventTimeout(&event, 50)) {
            if (SDL_WasInit(SDL_INIT_EVENTS) == 0) {
                DestroyDialog(dialog);
                return -1;
            }
            continue;
        }
        IsDialogMessage(dialog, event);
        while (!DialogEnded(dialog, nullptr) && SDL_PollEvent(&event)) IsDialogMessage(dialog, event);
        if (!DialogEnded(dialog, nullptr) && dialog->dialog->dirty) DrawDialog(dialog->dialog);
    }
    DestroyDialog(dialog);
    return result;
}

}  // namespace zelvik
