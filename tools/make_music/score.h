// The show's soundtrack: an original piece in A minor, arranged to the
// show's script, written as XM patterns.
#pragma once

#include <string>
#include <vector>

#include "xm_writer.h"

namespace makemusic {

// Output rates at which the section timing is checked: exact arithmetic
// (0), the show's two rates and libopenmpt's own default.
constexpr int kCheckedRates[] = {0, 22050, 44100, 48000};

// A section of the piece and the moment of the show it must begin at.
struct SectionTiming {
    std::string name;
    double targetSeconds;               // where the show's scene changes
    int firstOrder;
    std::vector<double> startSeconds;   // where it begins, at each of kCheckedRates
};

// Composes the piece. `sections` receives every section's timing; the last
// one is the finale, which the song's restart position loops.
Module ComposeSoundtrack(std::vector<SectionTiming>* sections);

}  // namespace makemusic
