// The program's dialog templates, kept as data.
#pragma once

#include <cstdint>

#include "platform/dialog.h"

namespace zelvik {

// The options dialog, resource 101, and its control ids.
inline constexpr int32_t kOptionsDialogResource = 101;
inline constexpr int32_t kStartButton = 1000;
inline constexpr int32_t kExitButton = 1001;
inline constexpr int32_t kPlayMusicBox = 1002;
inline constexpr int32_t kMonoButton = 1003;
inline constexpr int32_t kStereoButton = 1004;
inline constexpr int32_t kRate22050Button = 1005;
inline constexpr int32_t kRate44100Button = 1006;

extern const DialogTemplate OptionsDialogTemplate;

// The program's dialog resources by id; nullptr for an unknown id. The
// program hands it to SetDialogTemplateLookup before its first dialog.
const DialogTemplate* FindDialogTemplate(int32_t resourceId);

}  // namespace zelvik
