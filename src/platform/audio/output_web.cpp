// The audio output of a web page: SDL's output, which a page runs on Web
// Audio. Its callback runs on the page's one thread, between the page's
// frames, never during a wait: the output cannot be waited for. It counts
// as started once the module plays (the first callback comes a few
// milliseconds later) and as stopped once the module is freed (no callback
// runs until the next frame).
#include "platform/audio/audio_output.h"

namespace zelvik {

namespace {

bool NoWait(bool (*)(), uint32_t) { return true; }

AudioOutputBackend PageOutput()
{
    AudioOutputBackend page = SdlAudioOutput;
    page.name = "web";
    page.waitFor = NoWait;
    return page;
}

}  // namespace

const AudioOutputBackend WebAudioOutput = PageOutput();

}  // namespace zelvik
