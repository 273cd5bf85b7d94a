// The dialog layer: modal dialogs built from templates the program keeps as
// data, sized in dialog units and driven by a dialog procedure through
// messages. Message, style and id values are the classic window system's.
// The drawn dialog manager implements this header; a native one may be
// linked in its place (the platform table in src/CMakeLists.txt names the
// one each system builds).
#pragma once

#include <cstdint>

#include "platform/window/window_system.h"

namespace zelvik {

// Positions and sizes are in dialog units: x in quarters of the dialog
// font's average character width, y in eighths of its height.
struct DialogItemTemplate {
    uint32_t style;  // WS_* | BS_* (every control is a button)
    int16_t x, y, cx, cy;
    int32_t id;
    const char* text;
};

struct DialogTemplate {
    uint32_t style;  // WS_* | DS_*
    int16_t x, y, cx, cy;
    const char* caption;
    const char* fontFace;  // a generic family; the dialog manager picks the file
    int32_t pointSize;
    int32_t itemCount;
    const DialogItemTemplate* items;
};

// Window and control styles used by templates.
inline constexpr uint32_t WS_POPUP = 0x80000000;
inline constexpr uint32_t WS_CHILD = 0x40000000;
inline constexpr uint32_t WS_VISIBLE = 0x10000000;
inline constexpr uint32_t WS_CAPTION = 0x00C00000;
inline constexpr uint32_t WS_GROUP = 0x00020000;
inline constexpr uint32_t WS_TABSTOP = 0x00010000;
inline constexpr uint32_t DS_SETFONT = 0x00000040;
inline constexpr uint32_t BS_PUSHBUTTON = 0x0;
inline constexpr uint32_t BS_DEFPUSHBUTTON = 0x1;
inline constexpr uint32_t BS_AUTOCHECKBOX = 0x3;
inline constexpr uint32_t BS_RADIOBUTTON = 0x4;
inline constexpr uint32_t BS_TYPEMASK = 0xF;

// Dialog messages.
inline constexpr uint32_t WM_INITDIALOG = 0x0110;  // lParam: DialogBoxParam's param
inline constexpr uint32_t WM_COMMAND = 0x0111;     // wParam: control id | notification << 16
inline constexpr uint32_t BM_GETCHECK = 0x00F0;
inline constexpr uint32_t BM_SETCHECK = 0x00F1;    // wParam: 1 checked, 0 unchecked

// Command ids the dialog manager itself sends.
inline constexpr int32_t IDOK = 1;
inline constexpr int32_t IDCANCEL = 2;  // Escape, the close button or a stop signal

// Notification in the high word of a WM_COMMAND from a button.
inline constexpr uint32_t BN_CLICKED = 0;

// A dialog procedure returns non-zero when it handled the message; its
// answer to WM_INITDIALOG is non-zero to focus the first tab stop.
using DialogProc = intptr_t (*)(WindowHandle dialog, uint32_t message, uintptr_t wParam,
                                intptr_t lParam);

// The program's templates by resource id (nullptr for an unknown id), set
// once before the first dialog; the dialog layer has no templates of its own.
void SetDialogTemplateLookup(const DialogTemplate* (*lookup)(int32_t id));

// Runs the dialog of resource `templateId` modally: sends WM_INITDIALOG
// (lParam = param) and handles input until the procedure calls EndDialog.
// Returns EndDialog's result, or -1 when the dialog could not be shown
// (WindowSystemError() says why). `owner` may be nullptr.
intptr_t DialogBoxParam(int32_t templateId, WindowHandle owner, DialogProc proc, intptr_t param);
bool EndDialog(WindowHandle dialog, intptr_t result);
// BM_SETCHECK / BM_GETCHECK on a control of the dialog; 0 for unknown ids.
intptr_t SendDlgItemMessage(WindowHandle dialog, int32_t id, uint32_t message, uintptr_t wParam,
                            intptr_t lParam);

// Called with each modal dialog right after it is created (before its first
// event); tests and unattended runs use it to queue input. nullptr switches
// it off.
void SetDialogCreatedHook(void (*hook)(WindowHandle dialog));

}  // namespace zelvik
