// A small window system for the show, carried on SDL2: modal dialogs built
// from templates kept as data (laid out in dialog units, drawn in the
// classic grey 3-D style, driven by a dialog procedure through messages)
// and the message names the show's procedures are written against.
#pragma once

#include <cstdint>

#include "display/presentation.h"
#include "driver/stop_signals.h"

union SDL_Event;
struct SDL_Window;

namespace zelvik {

struct DialogTemplate;

// Opaque handle of a window made by this layer (dialogs) or by a display
// back end (the show's window).
struct Window;
using WindowHandle = Window*;

// Procedures receive a message and two parameters; a dialog procedure
// returns non-zero when it handled the message.
using WindowProc = intptr_t (*)(WindowHandle window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam);
using DialogProc = intptr_t (*)(WindowHandle dialog, uint32_t message, uintptr_t wParam,
                                intptr_t lParam);

// Messages.
inline constexpr uint32_t WM_CLOSE = 0x0010;
inline constexpr uint32_t WM_ACTIVATEAPP = 0x001C;  // wParam: 1 active, 0 inactive
inline constexpr uint32_t WM_SETCURSOR = 0x0020;
inline constexpr uint32_t WM_KEYDOWN = 0x0100;      // wParam: virtual key code
inline constexpr uint32_t WM_INITDIALOG = 0x0110;
inline constexpr uint32_t WM_COMMAND = 0x0111;      // wParam: control id | notification << 16
inline constexpr uint32_t BM_GETCHECK = 0x00F0;
inline constexpr uint32_t BM_SETCHECK = 0x00F1;     // wParam: 1 checked, 0 unchecked

// Command ids the dialog manager itself sends.
inline constexpr int32_t IDOK = 1;
inline constexpr int32_t IDCANCEL = 2;  // Escape, or the window's close button

// Notification in the high word of a WM_COMMAND from a button.
inline constexpr uint32_t BN_CLICKED = 0;

// Virtual key codes (the low byte of WM_KEYDOWN's wParam).
inline constexpr uint32_t VK_TAB = 0x09;
inline constexpr uint32_t VK_RETURN = 0x0D;
inline constexpr uint32_t VK_ESCAPE = 0x1B;
inline constexpr uint32_t VK_SPACE = 0x20;

// Window and control styles used by templates.
inline constexpr uint32_t WS_POPUP = 0x80000000;
inline constexpr uint32_t WS_CHILD = 0x40000000;
inline constexpr uint32_t WS_VISIBLE = 0x10000000;
inline constexpr uint32_t WS_CAPTION = 0x00C00000;
inline constexpr uint32_t WS_SYSMENU = 0x00080000;
inline constexpr uint32_t WS_GROUP = 0x00020000;
inline constexpr uint32_t WS_TABSTOP = 0x00010000;
inline constexpr uint32_t DS_SETFONT = 0x00000040;
inline constexpr uint32_t BS_PUSHBUTTON = 0x0;
inline constexpr uint32_t BS_DEFPUSHBUTTON = 0x1;
inline constexpr uint32_t BS_AUTOCHECKBOX = 0x3;
inline constexpr uint32_t BS_RADIOBUTTON = 0x4;
inline constexpr uint32_t BS_TYPEMASK = 0xF;

// Why the last window-system call failed (SDL's message).
const char* WindowSystemError();
void ClearWindowSystemError();
// Initialises the video side once per process (also used by display back
// ends); false with WindowSystemError() set when there is no display.
bool InitWindowSystem();
// Hides the mouse pointer (nullptr) or shows the normal arrow (any other).
void SetCursor(const void* cursor);
// Virtual key code of an SDL key (0 for keys the show has no name for).
uint32_t VirtualKeyFromSdl(int32_t sdlKeycode);

// --- Dialog units ---------------------------------------------------------

// Rounded a * b / c, as the window system scales dialog units.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

// The dialog font's average character width and height in pixels.
struct DialogBaseUnits {
    int32_t x;
    int32_t y;
};

inline constexpr int32_t kMaxDialogItems = 16;

// A template converted into pixels: x px = x du * base.x / 4 and
// y px = y du * base.y / 8, each value rounded on its own. `window` is the
// dialog's screen position and client size; items are in client pixels.
struct DialogLayout {
    PixelRect window;
    int32_t itemCount;
    PixelRect items[kMaxDialogItems];
};
DialogLayout LayoutDialog(const DialogTemplate& dialogTemplate, DialogBaseUnits base);

// --- Dialogs ------------------------------------------------------------------

// Runs the dialog of resource `templateId` modally: creates its window, sends
// WM_INITDIALOG (lParam = param) and handles input until the procedure calls
// EndDialog. Returns EndDialog's result, or -1 when the dialog could not be
// shown (WindowSystemError() says why). `owner` is accepted for form; dialogs
// here have no owner.
intptr_t DialogBoxParam(int32_t templateId, WindowHandle owner, DialogProc proc, intptr_t param);
bool EndDialog(WindowHandle dialog, intptr_t result);
// BM_SETCHECK / BM_GETCHECK on a control of the dialog; 0 for unknown ids.
intptr_t SendDlgItemMessage(WindowHandle dialog, int32_t id, uint32_t message, uintptr_t wParam,
                            intptr_t lParam);

// The pieces the modal loop is made of, for callers that feed events
// themselves (tests): create (WM_INITDIALOG already sent, window shown),
// hand events over one at a time, ask whether EndDialog was called, destroy.
WindowHandle CreateDialogParam(int32_t templateId, WindowHandle owner, DialogProc proc,
                               intptr_t param);
// Handles one event if it concerns the dialog; true when it did.
bool IsDialogMessage(WindowHandle dialog, const SDL_Event& event);
bool DialogEnded(WindowHandle dialog, intptr_t* result);
void DestroyDialog(WindowHandle dialog);

// Queries on a live dialog.
int32_t GetFocusedItem(WindowHandle dialog);   // control id, 0 when none
int32_t GetDefaultItem(WindowHandle dialog);   // id Enter would press now
bool IsItemPressed(WindowHandle dialog, int32_t id);
// A control's rectangle in window coordinates (where mouse events land).
bool GetDlgItemRect(WindowHandle dialog, int32_t id, PixelRect* rect);
uint32_t GetSdlWindowId(WindowHandle window);

// Handles for windows that a display back end creates itself, so that its
// messages can name the window like a dialog's do.
WindowHandle AttachWindowHandle(SDL_Window* window);
void DetachWindowHandle(WindowHandle window);
// Base units and scale (drawable pixels per window coordinate) in use.
DialogBaseUnits GetDialogBaseUnits(WindowHandle dialog);
float GetDialogScale(WindowHandle dialog);

// Called with each modal dialog right after it is created (before its first
// event); tests use it to queue input. nullptr switches it off.
void SetDialogCreatedHook(void (*hook)(WindowHandle dialog));

}  // namespace zelvik
