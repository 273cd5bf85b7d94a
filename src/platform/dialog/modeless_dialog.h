// The drawn dialog manager for a host that may not block (a web page runs
// one step per animation frame): the dialog is created, pumped once per
// step and destroyed by the host instead of DialogBoxParam's own loop.
#pragma once

#include <cstdint>

#include "display/presentation.h"
#include "platform/dialog/dialog.h"

namespace zelvik {

// Creates the dialog of resource `templateId`, sends WM_INITDIALOG (lParam
// = param) and shows it. nullptr when it cannot be shown
// (WindowSystemError() says why).
WindowHandle CreateDialogParam(int32_t templateId, WindowHandle owner, DialogProc proc,
                               intptr_t param);
// Hands the dialog the input queued for it and redraws what changed.
void PumpDialog(WindowHandle dialog);
// True once the procedure has called EndDialog; `*result` (when given) is
// then EndDialog's result.
bool DialogEnded(WindowHandle dialog, intptr_t* result);
// Also drops input still queued for the dialog.
void DestroyDialog(WindowHandle dialog);

// A control's rectangle in window coordinates (where mouse events land).
bool GetDlgItemRect(WindowHandle dialog, int32_t id, PixelRect* rect);

}  // namespace zelvik
