// The program's dialog templates, kept as data for the drawn dialog
// manager. The same template is the Windows resource res/options_dialog.rc,
// laid out by the system's own dialog manager; both take their ids from
// res/options_dialog_ids.h, and a test holds the two templates equal.
#pragma once

#include <cstdint>

#include "options_dialog_ids.h"
#include "platform/dialog/dialog.h"

namespace zelvik {

// The options dialog, resource 101, and its control ids.
inline constexpr int32_t kOptionsDialogResource = IDD_OPTIONS;
inline constexpr int32_t kStartButton = IDC_START;
inline constexpr int32_t kExitButton = IDC_EXIT;
inline constexpr int32_t kPlayMusicBox = IDC_PLAY_MUSIC;
inline constexpr int32_t kMonoButton = IDC_MONO;
inline constexpr int32_t kStereoButton = IDC_STEREO;
inline constexpr int32_t kRate22050Button = IDC_RATE_22050;
inline constexpr int32_t kRate44100Button = IDC_RATE_44100;

extern const DialogTemplate OptionsDialogTemplate;

// The program's dialog resources by id; nullptr for an unknown id. The
// program hands it to SetDialogTemplateLookup before its first dialog.
const DialogTemplate* FindDialogTemplate(int32_t resourceId);

}  // namespace zelvik
