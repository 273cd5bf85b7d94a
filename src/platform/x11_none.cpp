// Systems without X: no X errors to catch, no X resources to read.
#include "platform/x11.h"

namespace zelvik {

void CatchX11Errors() {}
int X11ErrorsReported() { return 0; }
int X11DesktopDpi(SDL_Window*) { return 0; }

}  // namespace zelvik
