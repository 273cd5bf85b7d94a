// A Linux desktop's back ends: SDL's full-screen window, and the desktop's
// sound server for the music (SDL's audio thread where there is none).
#include "display/display.h"
#include "platform/audio/audio_output.h"
#include "platform/audio/module_player.h"
#include "platform/display/sdl_display.h"
#include "program/backends.h"

namespace zelvik {

void UseSystemBackends()
{
    UseDisplayBackend(&SdlDisplay);
    UseAudioOutput(&DesktopAudioOutput);
}

}  // namespace zelvik
