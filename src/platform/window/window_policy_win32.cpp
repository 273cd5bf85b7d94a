// Windows: the system's own video driver is always there, its dialogs are
// the system's own (no font to find), and a high-density screen already
// gives windows more pixels than points.
#include <SDL.h>

#include "platform/window/window_policy.h"

namespace zelvik {

void PrepareVideoStart() {}
int VideoStartRounds() { return 1; }
const char* PreferredVideoDriver() { return nullptr; }
bool VideoDriverMayWork(const char*) { return true; }
void ExplainNoDisplay() { SDL_SetError("no display reachable"); }
const char* FindDialogFontFile() { return nullptr; }
const char* MissingDialogFontAdvice() { return "the drawn dialog is not used on Windows"; }
float DesktopScaleSetting(SDL_Window*) { return 0.0f; }

float DialogZoom(float, float) { return 1.0f; }
float DialogRoomToGrow(float) { return 1.0f; }

}  // namespace zelvik
