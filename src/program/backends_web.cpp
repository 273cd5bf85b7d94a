// A web page's back ends: SDL's window on the page's canvas, and the
// page's Web Audio output.
#include "display/display.h"
#include "platform/audio/audio_output.h"
#include "platform/audio/module_player.h"
#include "platform/display/sdl_display.h"
#include "program/backends.h"

namespace zelvik {

void UseSystemBackends()
{
    UseDisplayBackend(&SdlDisplay);
    UseAudioOutput(&WebAudioOutput);
}

}  // namespace zelvik
