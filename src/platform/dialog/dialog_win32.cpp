// The dialog layer on Windows: the system's own dialog manager runs the
// program's templates, compiled into the executable as resources (the
// program's .rc file) under the same ids. The program's dialog procedure is
// called through a native-signature wrapper with the dialog's handle; the
// message numbers and control ids are the system's own, so the messages
// pass through unchanged.
//
// The dialog carries the executable's icon in its title bar, as the
// show's window (SDL's) and Explorer do, and its controls are drawn with
// the system's visual styles (common controls 6, which the executable's
// manifest asks for).
//
// Our headers come first: <windows.h> defines the message names as macros
// (with the same values) and DialogBoxParam / SendDlgItemMessage as
// macros for its own functions.
#include "platform/dialog/dialog.h"

#include <SDL.h>

#include "driver/stop_signals.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#undef DialogBoxParam
#undef SendDlgItemMessage

namespace zelvik {

namespace {

// Modal dialogs come one at a time: the one running, its procedure and the
// handle the procedure knows it by.
HWND ActiveDialog;
DialogProc ActiveProc;
Window ActiveRecord;
bool StopSent;
// The icons in the running dialog's title bar, given back when it ends.
HICON DialogIcons[2];

void (*DialogCreatedHook)(WindowHandle);

// The dialog looks for a stop signal this often.
constexpr UINT_PTR kStopTimer = 1;
constexpr UINT kStopPollMilliseconds = 50;
// Posted at creation, so the hook runs once the dialog takes input.
constexpr UINT kRunCreatedHook = WM_APP + 1;

// The executable's first icon, which Explorer and the taskbar show for it,
// at the system's two icon sizes; none when it has no icon. A title bar
// shows an icon only beside a system menu, so the dialog is given one: its
// Close item (and the close button that comes with it) cancels the dialog
// as Escape does.
void ShowExecutableIcon(HWND dialog)
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return;
    HICON& largeIcon = DialogIcons[0];
    HICON& smallIcon = DialogIcons[1];
    ExtractIconExW(path, 0, &largeIcon, &smallIcon, 1);
    if (largeIcon == nullptr || smallIcon == nullptr) return;
    SetWindowLongPtrW(dialog, GWL_STYLE, GetWindowLongPtrW(dialog, GWL_STYLE) | WS_SYSMENU);
    SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon));
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
}

INT_PTR CALLBACK NativeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        ActiveDialog = dialog;
        ShowExecutableIcon(dialog);
        SetTimer(dialog, kStopTimer, kStopPollMilliseconds, nullptr);
        if (DialogCreatedHook) PostMessageA(dialog, kRunCreatedHook, 0, 0);
        // Non-zero: the system gives the focus to the first tab stop.
        return ActiveProc(&ActiveRecord, message, wParam, lParam);
    case kRunCreatedHook:
        if (DialogCreatedHook) DialogCreatedHook(&ActiveRecord);
        return TRUE;
    case WM_TIMER:
        if (wParam != kStopTimer) break;
        // A stop signal cancels the dialog as Escape does.
        if (!StopSent && StopSignalReceived()) {
            StopSent = true;
            SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        }
        return TRUE;
    default: break;
    }
    if (ActiveDialog != dialog) return FALSE;
    return ActiveProc(&ActiveRecord, message, wParam, lParam);
}

}  // namespace

void SetDialogTemplateLookup(const DialogTemplate* (*)(int32_t))
{
    // The templates are the executable's resources; the data copy is the
    // drawn dialog manager's.
}

void SetDialogCreatedHook(void (*hook)(WindowHandle dialog)) { DialogCreatedHook = hook; }

intptr_t DialogBoxParam(int32_t templateId, WindowHandle owner, DialogProc proc, intptr_t param)
{
    if (ActiveDialog != nullptr) {
        SDL_SetError("a dialog is already running");
        return -1;
    }
    // The themed button classes of common controls 6.
    static const INITCOMMONCONTROLSEX kControls = {sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&kControls);
    ActiveProc = proc;
    ActiveRecord = Window{nullptr, nullptr};
    StopSent = false;
    // Owner windows are the drawn manager's; the show's dialog has none.
    static_cast<void>(owner);
    const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId),
                                           nullptr, NativeDialogProc, param);
    const DWORD error = result == -1 ? GetLastError() : 0;
    ActiveDialog = nullptr;
    ActiveProc = nullptr;
    for (HICON& icon : DialogIcons) {
        if (icon != nullptr) DestroyIcon(icon);
        icon = nullptr;
    }
    if (result == -1) {
        char text[256];
        DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, error, 0, text, sizeof text, nullptr);
        // The system's text ends with a full stop and a line break.
        while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' ||
                              text[length - 1] == '.' || text[length - 1] == ' '))
            --length;
        text[length] = '\0';
        if (length == 0)
            SDL_SetError("dialog %ld: system error %lu", static_cast<long>(templateId),
                         static_cast<unsigned long>(error));
        else
            SDL_SetError("dialog %ld: %s", static_cast<long>(templateId), text);
        return -1;
    }
    return result;
}

bool EndDialog(WindowHandle dialog, intptr_t result)
{
    if (dialog != &ActiveRecord || ActiveDialog == nullptr) return false;
    KillTimer(ActiveDialog, kStopTimer);
    return ::EndDialog(ActiveDialog, result) != 0;
}

intptr_t SendDlgItemMessage(WindowHandle dialog, int32_t id, uint32_t message, uintptr_t wParam,
                            intptr_t lParam)
{
    if (dialog != &ActiveRecord || ActiveDialog == nullptr) return 0;
    return SendDlgItemMessageA(ActiveDialog, id, message, wParam, lParam);
}

}  // namespace zelvik
