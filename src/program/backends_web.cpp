// A web page's back ends: the page's picture canvas, and the page's Web
// Audio output.
#include "display/display.h"
#include "platform/audio/audio_output.h"
#include "platform/audio/module_player.h"
#include "platform/display/display_web.h"
#include "program/backends.h"

namespace zelvik {

void UseSystemBackends()
{
    UseDisplayBackend(&WebDisplay);
    UseAudioOutput(&WebAudioOutput);
}

}  // namespace zelvik
