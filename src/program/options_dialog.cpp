#include "program/options_dialog.h"

namespace zelvik {

static constexpr uint32_t kButton = WS_CHILD | WS_VISIBLE;

// Start is the default push button: Enter presses it unless another push
// button has the focus. The radio buttons are plain ones without tab stops;
// the dialog procedure sets every check mark itself.
static const DialogItemTemplate OptionsDialogItems[] = {
    {kButton | WS_TABSTOP | BS_DEFPUSHBUTTON, 126, 4, 49, 21, kStartButton, "Start"},
    {kButton | WS_TABSTOP | BS_PUSHBUTTON, 126, 25, 49, 19, kExitButton, "Exit"},
    {kButton | WS_TABSTOP | BS_AUTOCHECKBOX, 7, 4, 50, 11, kPlayMusicBox, "Play music"},
    {kButton | BS_RADIOBUTTON, 18, 15, 50, 10, kMonoButton, "Mono"},
    {kButton | BS_RADIOBUTTON, 18, 25, 49, 11, kStereoButton, "Stereo"},
    {kButton | BS_RADIOBUTTON, 74, 15, 51, 10, kRate22050Button, "22050"},
    {kButton | BS_RADIOBUTTON, 74, 25, 51, 11, kRate44100Button, "44100"},
};

// A captioned pop-up without a system menu, in an 8-point sans-serif font.
const DialogTemplate OptionsDialogTemplate = {
    WS_POPUP | WS_CAPTION | DS_SETFONT,
    100, 100, 182, 50,
    "Quillomarth demo engine",
    "sans-serif",
    8,
    static_cast<int32_t>(sizeof OptionsDialogItems / sizeof OptionsDialogItems[0]),
    OptionsDialogItems,
};

const DialogTemplate* FindDialogTemplate(int32_t resourceId)
{
    return resourceId == kOptionsDialogResource ? &OptionsDialogTemplate : nullptr;
}

}  // namespace zelvik
