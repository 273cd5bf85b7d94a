// Dialog templates kept with the program as data: the window and its
// controls with positions and sizes in dialog units (x in quarters of the
// dialog font's average character width, y in eighths of its height).
#pragma once

#include <cstdint>

namespace zelvik {

struct DialogItemTemplate {
    uint32_t style;  // WS_* | BS_* (every control here is a button)
    int16_t x, y, cx, cy;
    int32_t id;
    const char* text;
};

struct DialogTemplate {
    uint32_t style;  // WS_* | DS_*
    int16_t x, y, cx, cy;
    const char* caption;
    const char* fontFace;  // a generic family; the window system picks the file
    int32_t pointSize;
    int32_t itemCount;
    const DialogItemTemplate* items;
};

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

// The program's dialog resources by id; nullptr for an unknown id.
const DialogTemplate* FindDialogTemplate(int32_t resourceId);

}  // namespace zelvik
