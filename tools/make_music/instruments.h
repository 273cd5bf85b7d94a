// The soundtrack's instruments, every sample synthesised here.
#pragma once

#include <vector>

#include "xm_writer.h"

namespace makemusic {

// Instrument numbers as pattern cells name them (1-based).
enum InstrumentNumber : uint8_t {
    kKick = 1,
    kSnare,
    kClosedHat,
    kOpenHat,
    kCrash,
    kSwell,  // a cymbal swelling up to a downbeat
    kTom,
    kBass,
    kPad,
    kLead,
    kBell,
    kInstrumentCount = kBell
};

// Pitched instruments sound at their written pitch: the XM note C-4 plays
// middle C (the note number is MIDI note - 11). Drums sound as recorded at
// C-4.
constexpr int kDrumNote = 49;  // C-4

std::vector<Instrument> MakeInstruments();

}  // namespace makemusic
