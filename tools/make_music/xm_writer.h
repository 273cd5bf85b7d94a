// A FastTracker II extended module (XM, version 0x0104) as plain data, and
// its serialisation. The writer checks every limit that strict players
// enforce, so a module that serialises is one they all load.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace makemusic {

// One pattern cell. `note` is 1 ... 96 (C-0 ... B-7), kKeyOff or 0 (none);
// `instrument` is 1-based, 0 for none; `volume` is the raw volume-column
// byte (0x10 + 0 ... 64 sets the volume); `effect`/`param` the effect column.
struct Cell {
    uint8_t note = 0;
    uint8_t instrument = 0;
    uint8_t volume = 0;
    uint8_t effect = 0;
    uint8_t param = 0;
};

constexpr uint8_t kKeyOff = 97;
constexpr uint8_t kEffectSetPanning = 0x08;
constexpr uint8_t kEffectSetTempo = 0x0F;  // parameter < 32: speed, >= 32: BPM

struct Pattern {
    int rows = 64;
    std::vector<Cell> cells;  // rows * channels, row-major
};

struct EnvelopePoint {
    uint16_t tick;
    uint16_t value;  // 0 ... 64
};

struct Envelope {
    std::vector<EnvelopePoint> points;  // at most 12; empty = envelope off
    int sustain = -1;                   // point index, -1 = none
};

// One instrument with one 16-bit sample.
struct Instrument {
    std::string name;
    std::vector<int16_t> sample;
    bool loop = false;
    uint32_t loopStart = 0;   // in sample frames
    uint32_t loopLength = 0;  // in sample frames
    uint8_t volume = 64;      // 0 ... 64
    int8_t finetune = 0;
    uint8_t panning = 128;
    int8_t relativeNote = 0;
    Envelope volumeEnvelope;
    uint8_t vibratoType = 0;
    uint8_t vibratoSweep = 0;
    uint8_t vibratoDepth = 0;
    uint8_t vibratoRate = 0;
    uint16_t fadeout = 0;
};

struct Module {
    std::string name;
    int channels = 8;
    int speed = 6;    // ticks per row
    int bpm = 125;
    int restartPosition = 0;
    std::vector<uint8_t> orders;
    std::vector<Pattern> patterns;
    std::vector<Instrument> instruments;
};

// Serialises `module`. Returns false and says why in `error` when the
// module breaks a limit of the format.
bool WriteXm(const Module& module, std::vector<uint8_t>* bytes, std::string* error);

}  // namespace makemusic
