// The Windows back ends: SDL's full-screen window and SDL's audio thread.
#include "display/display.h"
#include "platform/audio/audio_output.h"
#include "platform/audio/module_player.h"
#include "platform/display/sdl_display.h"
#include "program/backends.h"

namespace zelvik {

void UseSystemBackends()
{
    UseDisplayBackend(&SdlDisplay);
    UseAudioOutput(&SdlAudioOutput);
}

}  // namespace zelvik
