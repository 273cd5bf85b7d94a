// The drawn dialog manager on SDL2: dialog state, layout in dialog units,
// keyboard and mouse input, the modal loop, creation and destruction.
#include "platform/dialog/dialog_internal.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "driver/stop_signals.h"
#include "platform/dialog/modeless_dialog.h"
#include "platform/window/window_policy.h"

namespace zelvik {

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

static const DialogTemplate* (*TemplateLookup)(int32_t);
void SetDialogTemplateLookup(const DialogTemplate* (*lookup)(int32_t)) { TemplateLookup = lookup; }

static void (*DialogCreatedHook)(WindowHandle);
void SetDialogCreatedHook(void (*hook)(WindowHandle)) { DialogCreatedHook = hook; }

static Dialog* DialogOf(WindowHandle window) { return window ? window->dialog : nullptr; }

static int32_t IndexOfId(const Dialog* d, int32_t id)
{
    for (int32_t i = 0; i < d->itemCount; ++i)
        if (d->items[i].id == id) return i;
    return -1;
}

int32_t DefaultId(const Dialog* d)
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

static bool Inside(const PixelRect& r, int32_t x, int32_t y)
{
    return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
}

// A finger needs a larger target than a pointer: the size phone guidelines
// give, in window coordinates (CSS pixels in a page).
constexpr float kTouchTargetPoints = 44.0f;

// The square of the distance (in drawable pixels, 0 inside) from the
// point to control i.
static int64_t DistanceTo(const Dialog* d, int32_t i, int32_t x, int32_t y)
{
    const PixelRect& r = d->items[i].rect;
    const int64_t dx = x < r.x ? r.x - x : x >= r.x + r.w ? x - (r.x + r.w - 1) : 0;
    const int64_t dy = y < r.y ? r.y - y : y >= r.y + r.h ? y - (r.y + r.h - 1) : 0;
    return dx * dx + dy * dy;
}

// Whether a touch at (x, y) is on control i: inside it, or within as much
// as the control falls short of the touch target size on each side, and
// nearer to it than to any other control (so that targets of neighbours
// never overlap). A control between others thus gains only where there is
// room: the space around the dialog's edges and between groups.
static bool OnTouchTarget(const Dialog* d, int32_t i, int32_t x, int32_t y)
{
    const PixelRect& r = d->items[i].rect;
    const int32_t least = static_cast<int32_t>(std::lround(kTouchTargetPoints * d->pixelsPerPoint));
    const int32_t growX = std::max(0, least - r.w);
    const int32_t growY = std::max(0, least - r.h);
    if (!Inside(PixelRect{r.x - growX, r.y - growY, r.w + 2 * growX, r.h + 2 * growY}, x, y)) return false;
    const int64_t distance = DistanceTo(d, i, x, y);
    for (int32_t j = 0; j < d->itemCount; ++j)
        if (j != i && IsVisible(d->items[j]) && DistanceTo(d, j, x, y) < distance) return false;
    return true;
}

// Whether a press or release at (x, y) is on control i; `touch` for one
// that SDL made from a finger.
static bool OnControl(const Dialog* d, int32_t i, int32_t x, int32_t y, bool touch)
{
    return touch ? OnTouchTarget(d, i, x, y) : Inside(d->items[i].rect, x, y);
}

static int32_t HitTest(const Dialog* d, int32_t x, int32_t y, bool touch)
{
    for (int32_t i = 0; i < d->itemCount; ++i)
        if (IsVisible(d->items[i]) && OnControl(d, i, x, y, touch)) return i;
    return -1;
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
        const int32_t hit = HitTest(d, scaled(e.button.x), scaled(e.button.y), e.button.which == SDL_TOUCH_MOUSEID);
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
            const bool inside = OnControl(d, d->capture, scaled(e.motion.x), scaled(e.motion.y),
                                          e.motion.which == SDL_TOUCH_MOUSEID);
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
        if (held >= 0 &&
            OnControl(d, held, scaled(e.button.x), scaled(e.button.y), e.button.which == SDL_TOUCH_MOUSEID))
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

// ZELVIK_DIALOG_FONT names the font file; otherwise the system's.
static const char* FindDialogFont()
{
    if (const char* chosen = std::getenv("ZELVIK_DIALOG_FONT"); chosen && *chosen) return chosen;
    return FindDialogFontFile();
}

// ZELVIK_DIALOG_SCALE (1 to 4) draws the dialog larger on screens whose
// density the window system does not report; it overrides every setting
// below.
static float ScaleOverride()
{
    const char* text = std::getenv("ZELVIK_DIALOG_SCALE");
    if (text == nullptr) return 0.0f;
    const float value = std::strtof(text, nullptr);
    return value >= 1.0f && value <= 4.0f ? value : 0.0f;
}

// The scale the desktop asks for where the window's pixels are not already
// scaled: the desktop's own setting (window_policy.h), else SDL's measure
// of the screen's density, and that only where it plainly says high
// density (144 dpi or more, in half steps), since ordinary monitors
// measure anywhere near 96.
static float DesktopScale(SDL_Window* window)
{
    if (const float setting = DesktopScaleSetting(window); setting > 0.0f) return setting;
    float horizontalDpi = 0.0f;
    const int display = window != nullptr ? SDL_GetWindowDisplayIndex(window) : 0;
    if (SDL_GetDisplayDPI(display < 0 ? 0 : display, nullptr, &horizontalDpi, nullptr) == 0 &&
        horizontalDpi >= 144.0f) {
        const float halves = std::round(horizontalDpi / 96.0f * 2.0f) / 2.0f;
        return halves > 4.0f ? 4.0f : halves;
    }
    return 1.0f;
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

// The drawing's size relative to 96 dpi, and the width of a classic
// 1-pixel line at that size.
static void SetUiScale(Dialog* d, float scale)
{
    d->uiScale = scale;
    d->unit = std::max(1, static_cast<int32_t>(std::lround(scale)));
}

// On a high-density screen a window has more pixels than coordinates; the
// dialog is drawn at the pixels' own resolution. A hidden probe window
// tells the ratio before the dialog's own window is made. False when no
// window can be made.
static bool MeasureScale(Dialog* d)
{
    SDL_Window* probe = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 64, 64,
                                         SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI);
    if (probe == nullptr) return false;
    int32_t probeW = 0, probeH = 0, pixelsW = 0, pixelsH = 0;
    SDL_GetWindowSize(probe, &probeW, &probeH);
    SDL_GetWindowSizeInPixels(probe, &pixelsW, &pixelsH);
    d->pixelsPerPoint = probeW > 0 && pixelsW > probeW ? static_cast<float>(pixelsW) / probeW : 1.0f;
    // A high-density drawable already carries the desktop's scale; on one
    // with a pixel per point the desktop's own setting says how large.
    const float override = ScaleOverride();
    SetUiScale(d, override > 0.0f            ? override
                  : d->pixelsPerPoint > 1.0f ? d->pixelsPerPoint
                                             : DesktopScale(probe));
    SDL_DestroyWindow(probe);
    return true;
}

// The template laid out in the dialog's base units, and the sizes that
// follow from it.
static void LayOut(Dialog* d, DialogLayout* layout)
{
    *layout = LayoutDialog(*d->dialogTemplate, d->base);
    d->clientW = layout->window.w;
    d->clientH = layout->window.h;
    d->itemCount = layout->itemCount;
}

// The dialog's font at its scale, and the template laid out in the dialog
// units that font gives; false when the font cannot be opened.
static bool OpenFontAndLayOut(Dialog* d, const char* fontFile, DialogLayout* layout)
{
    const DialogTemplate* t = d->dialogTemplate;
    const unsigned dpi = static_cast<unsigned>(std::lround(96.0f * d->uiScale));
    d->font = TTF_OpenFontDPI(fontFile, t->pointSize, dpi, dpi);
    if (d->font == nullptr) return false;
    // The average character width as the window system measures it: the
    // 52 letters' extent, halved twice with rounding.
    int32_t lettersW = 0, lettersH = 0;
    TTF_SizeUTF8(d->font, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", &lettersW, &lettersH);
    d->base = DialogBaseUnits{(lettersW / 26 + 1) / 2, TTF_FontHeight(d->font)};
    LayOut(d, layout);
    return true;
}

// The height in drawable pixels of the laid-out dialog's smallest push
// button; 0 when it has none.
static int32_t SmallestPushButton(const Dialog* d, const DialogLayout& layout)
{
    int32_t smallest = 0;
    for (int32_t i = 0; i < layout.itemCount; ++i) {
        DialogItem item{};
        item.style = d->dialogTemplate->items[i].style;
        const int32_t h = layout.items[i].h;
        if (IsPushButton(item) && (smallest == 0 || h < smallest)) smallest = h;
    }
    return smallest;
}

// A push button shorter than a finger's target, where the place it is
// shown has height to spare (window_policy.h), is made taller by growing
// the vertical dialog unit: the text keeps its size and the controls
// spread out around it.
static void StretchRows(Dialog* d, DialogLayout* layout)
{
    const float s = d->pixelsPerPoint;
    const int32_t button = SmallestPushButton(d, *layout);
    const float room = DialogRoomToGrow(static_cast<float>(layout->window.h) / s);
    if (button == 0 || !(room > 1.0f)) return;
    const auto wanted = static_cast<int32_t>(std::ceil(kTouchTargetPoints * s));
    const auto tallest = static_cast<int32_t>(static_cast<float>(layout->window.h) * room);
    while (SmallestPushButton(d, *layout) < wanted) {
        ++d->base.y;
        LayOut(d, layout);
        if (layout->window.h > tallest) {
            --d->base.y;
            LayOut(d, layout);
            return;
        }
    }
}

// The controls of the template at their laid-out places, each with its
// label rendered once.
static void MakeItems(Dialog* d, const DialogLayout& layout)
{
    const DialogTemplate* t = d->dialogTemplate;
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
}

// `owner` is accepted for form: dialogs drawn here have no owner.
WindowHandle CreateDialogParam(int32_t templateId, WindowHandle, DialogProc proc, intptr_t param)
{
    const DialogTemplate* t = TemplateLookup ? TemplateLookup(templateId) : nullptr;
    if (t == nullptr) {
        SDL_SetError("no dialog resource %d", static_cast<int>(templateId));
        return nullptr;
    }
    if (!InitWindowSystem()) return nullptr;
    const char* fontFile = FindDialogFont();
    if (fontFile == nullptr) {
        SDL_SetError("no sans-serif font for the dialog (%s)", MissingDialogFontAdvice());
        return nullptr;
    }
    if (TTF_Init() != 0) return nullptr;

    auto* window = new Window{nullptr, new Dialog{}};
    Dialog* d = window->dialog;
    d->dialogTemplate = t;
    d->proc = proc;
    d->focus = d->capture = d->spaceHeld = -1;

    if (!MeasureScale(d)) {
        FreeDialog(window);
        return nullptr;
    }

    DialogLayout layout{};
    if (!OpenFontAndLayOut(d, fontFile, &layout)) {
        FreeDialog(window);
        return nullptr;
    }
    // Where the place it is shown wants the dialog larger (a page on a
    // touch screen), the font is opened again at that scale and the dialog
    // laid out again, so that it is still drawn at the screen's density.
    const float s = d->pixelsPerPoint;
    const float zoom = DialogZoom(static_cast<float>(layout.window.w) / s, static_cast<float>(layout.window.h) / s);
    if (zoom > 1.0f) {
        TTF_CloseFont(d->font);
        d->font = nullptr;
        SetUiScale(d, d->uiScale * zoom);
        if (!OpenFontAndLayOut(d, fontFile, &layout)) {
            FreeDialog(window);
            return nullptr;
        }
    }
    StretchRows(d, &layout);
    // The window is made at its final place and size (a hidden window is not
    // reliably moved before it is first shown).
    const int pointsW = static_cast<int>(std::ceil(d->clientW / s));
    const int pointsH = static_cast<int>(std::ceil(d->clientH / s));
    window->sdlWindow =
        SDL_CreateWindow(t->caption, static_cast<int>(layout.window.x / s), static_cast<int>(layout.window.y / s),
                         pointsW, pointsH, SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI);
    if (window->sdlWindow == nullptr) {
        FreeDialog(window);
        return nullptr;
    }
    d->renderer = SDL_CreateRenderer(window->sdlWindow, -1, 0);
    if (d->renderer == nullptr) {
        FreeDialog(window);
        return nullptr;
    }
    MakeItems(d, layout);
    // The procedure initialises the controls; a non-zero answer gives the
    // focus to the first control with a tab stop.
    if (proc(window, WM_INITDIALOG, 0, param) != 0) MoveTabFocus(d, 1);
    SDL_ShowWindow(window->sdlWindow);
    // A fixed size, said the way window managers read it: equal minimum and
    // maximum. Tiling compositors float such a window rather than stretch
    // it over the screen, others centre it. On Wayland the hints exist only
    // once the window is shown, and they must be there before its first
    // picture, when the compositor places it.
    SDL_SetWindowMinimumSize(window->sdlWindow, pointsW, pointsH);
    SDL_SetWindowMaximumSize(window->sdlWindow, pointsW, pointsH);
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

void PumpDialog(WindowHandle dialog)
{
    SDL_Event event;
    while (!DialogEnded(dialog, nullptr) && SDL_PollEvent(&event)) IsDialogMessage(dialog, event);
    if (!DialogEnded(dialog, nullptr) && dialog->dialog->dirty) DrawDialog(dialog->dialog);
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
        // loop looks for one at least every 10 ms.
        if (!stopSent && StopSignalReceived()) {
            stopSent = true;
            SendCommand(dialog, IDCANCEL);
            continue;
        }
        // Events are polled, never waited for. While SDL waits on X it has
        // its second X connection send a wake-up message to the waiting
        // window for every event it queues; when that window is destroyed
        // just after (Start pressed), the X server may carry out the
        // destruction first and answer the wake-up with BadWindow, which
        // Xlib's default handler turns into the end of the program when the
        // connection closes. A poll never arms that wake-up.
        SDL_Event event;
        if (!SDL_PollEvent(&event)) {
            if (SDL_WasInit(SDL_INIT_EVENTS) == 0) {
                DestroyDialog(dialog);
                return -1;
            }
            SDL_Delay(10);
            continue;
        }
        IsDialogMessage(dialog, event);
        PumpDialog(dialog);
    }
    DestroyDialog(dialog);
    return result;
}

}  // namespace zelvik
