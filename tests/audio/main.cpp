#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/audio/audio_output.h"
#include "platform/audio/module_player.h"

int main(int argc, char** argv)
{
    // Every audio test runs on SDL's dummy output: no sound card needed,
    // nothing heard, but the audio thread runs as it would on a real one.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    zelvik::UseAudioOutput(&zelvik::SdlAudioOutput);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
