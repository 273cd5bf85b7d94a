// The back ends the program runs on: the display and the audio output of
// its system. Each system's choice is a file of its own (backends_*.cpp),
// which the platform table names; the entry point makes the choice first.
#pragma once

namespace zelvik {

void UseSystemBackends();

}  // namespace zelvik
