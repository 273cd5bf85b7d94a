#include "score.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "instruments.h"

namespace makemusic {

namespace {

// The arrangement's twelve channels.
enum Channel : int {
    kChKick,
    kChSnare,  // snare and toms
    kChHats,
    kChFx,     // crash and swell; also carries every tempo change
    kChBass,
    kChPadA,
    kChPadB,
    kChPadC,
    kChLead,
    kChArp,
    kChLeadEcho,  // the lead three rows late, softer, to the right
    kChArpEcho,   // the arpeggio three rows late, softer, to the right
    kChannels
};

// Stereo placement of the channels that are not centred; written next to
// every note, since a new note resets the panning to the sample's own.
constexpr uint8_t kPanning[kChannels] = {0, 0, 0, 0, 0, 0x50, 0x80, 0xB0, 0x74, 0x48, 0xC4, 0xD0};

constexpr int kSpeed = 6;         // ticks per row, never changed
constexpr int kRowsPerBar = 16;   // sixteenth notes, four to the beat
constexpr int kEchoDelay = 3;     // rows: a dotted eighth

using Row = std::array<Cell, kChannels>;

// The piece as one stream of rows, cut into patterns at the end.
std::vector<Row> Rows;

struct SectionMark {
    const char* name;
    double target;
    int firstRow;
};
std::vector<SectionMark> Sections;

void Fatal(const char* what)
{
    std::fprintf(stderr, "make_music: %s\n", what);
    std::exit(1);
}

Cell& At(int channel, int row)
{
    if (row < 0) Fatal("row before the song");
    if (static_cast<size_t>(row) >= Rows.size()) Rows.resize(row + 1);
    return Rows[row][channel];
}

uint8_t Volume(int volume)
{
    if (volume < 0) volume = 0;
    if (volume > 64) volume = 64;
    return static_cast<uint8_t>(0x10 + volume);
}

// A pitched note; `midi` is the MIDI note number (60 = middle C).
void Note(int channel, int row, int midi, uint8_t instrument, int volume)
{
    Cell& c = At(channel, row);
    c.note = static_cast<uint8_t>(midi - 11);
    c.instrument = instrument;
    c.volume = Volume(volume);
    if (kPanning[channel]) {
        c.effect = kEffectSetPanning;
        c.param = kPanning[channel];
    }
}

void Drum(int channel, int row, uint8_t instrument, int volume, int xmNote = kDrumNote)
{
    Cell& c = At(channel, row);
    c.note = static_cast<uint8_t>(xmNote);
    c.instrument = instrument;
    c.volume = Volume(volume);
}

void KeyOff(int channel, int row)
{
    Cell& c = At(channel, row);
    if (c.note == 0) c.note = kKeyOff;
}

void Tempo(int row, int bpm)
{
    Cell& c = At(kChFx, row);
    c.effect = kEffectSetTempo;
    c.param = static_cast<uint8_t>(bpm);
}

int ParseNote(const char* text, size_t length)
{
    static const int kSemitone[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (length < 2 || text[0] < 'A' || text[0] > 'G') Fatal("bad note name in a melody");
    int semitone = kSemitone[text[0] - 'A'];
    size_t i = 1;
    if (text[i] == '#') ++semitone, ++i;
    else if (text[i] == 'b') --semitone, ++i;
    if (i + 1 != length || text[i] < '0' || text[i] > '8') Fatal("bad octave in a melody");
    return 12 * (text[i] - '0' + 1) + semitone;
}

// Writes a melody from `row` on: tokens "E5:6" (note E5 for six rows) or
// "r:4" (a rest: key-off), bars separated by "|". Every bar must add up to
// sixteen rows. Returns the row after the melody.
int Melody(int channel, int row, const char* text, uint8_t instrument, int volume)
{
    int barRows = 0;
    const char* p = text;
    while (*p) {
        while (*p == ' ') ++p;
        if (!*p) break;
        if (*p == '|') {
            if (barRows != kRowsPerBar) Fatal("a melody bar does not add up to 16 rows");
            barRows = 0;
            ++p;
            continue;
        }
        const char* colon = std::strchr(p, ':');
        if (!colon) Fatal("melody token without a length");
        const int length = std::atoi(colon + 1);
        if (length <= 0) Fatal("bad length in a melody");
        if (colon - p == 1 && *p == 'r') KeyOff(channel, row);
        else Note(channel, row, ParseNote(p, static_cast<size_t>(colon - p)), instrument, volume);
        row += length;
        barRows += length;
        p = colon + 1;
        while (*p >= '0' && *p <= '9') ++p;
    }
    if (barRows != kRowsPerBar) Fatal("a melody's last bar does not add up to 16 rows");
    return row;
}

struct Chord {
    const char* name;
    int bass;     // root in the bass register
    int pad[3];   // close voicing around middle C
    int arp[4];   // chord tones an octave or two higher
};

const Chord kChords[] = {
    {"Am", 33, {57, 60, 64}, {69, 72, 76, 81}},
    {"F", 29, {57, 60, 65}, {65, 69, 72, 77}},
    {"C", 36, {55, 60, 64}, {67, 72, 76, 79}},
    {"G", 31, {55, 59, 62}, {67, 71, 74, 79}},
    {"Dm", 38, {57, 62, 65}, {65, 69, 74, 77}},
    {"E", 40, {56, 59, 64}, {64, 68, 71, 76}},
    {"Em", 40, {55, 59, 64}, {64, 67, 71, 76}},
    {"Bb", 34, {58, 62, 65}, {65, 70, 74, 77}},
    {"Gm", 31, {55, 58, 62}, {67, 70, 74, 79}},
    {"A", 33, {57, 61, 64}, {69, 73, 76, 81}},
};

const Chord& ChordNamed(const char* name, size_t length)
{
    for (const Chord& c : kChords) {
        if (std::strlen(c.name) == length && std::strncmp(c.name, name, length) == 0) return c;
    }
    Fatal("unknown chord name");
    return kChords[0];
}

// The chord of each bar, from a list such as "Am F C G".
std::vector<const Chord*> Progression(const char* text)
{
    std::vector<const Chord*> chords;
    const char* p = text;
    while (*p) {
        while (*p == ' ') ++p;
        const char* end = p;
        while (*end && *end != ' ') ++end;
        if (end > p) chords.push_back(&ChordNamed(p, static_cast<size_t>(end - p)));
        p = end;
    }
    return chords;
}

enum class Drums { None, Groove, Four, Half, Sparse };
enum class Bass { None, Whole, Eighths, Syncopated, Heavy };
enum class Arp { None, Binary, Sixteenths };
enum class Ending { None, Fill, Roll };

// How a run of bars is played. Volumes are volume-column values (0 ... 64).
struct Arrangement {
    Drums drums = Drums::None;
    Bass bass = Bass::None;
    Arp arp = Arp::None;
    Ending ending = Ending::None;  // what the drums do in the last bar
    int padVolume = 0;            // 0: no pads
    int bassVolume = 44;
    int arpVolume = 16;
    int arpVolumeEnd = -1;        // arp crescendo to this volume; -1: none
    bool crash = true;            // crash and kick on the first downbeat
};

void DrumBar(int row, Drums style, bool lastBar, Ending ending)
{
    switch (style) {
    case Drums::None:
        break;
    case Drums::Groove:
        for (int r : {0, 6, 8}) Drum(kChKick, row + r, kKick, 64);
        if (lastBar && ending == Ending::None) Drum(kChKick, row + 11, kKick, 52);
        for (int r : {4, 12}) Drum(kChSnare, row + r, kSnare, 60);
        Drum(kChSnare, row + 15, kSnare, 22);  // ghost note
        for (int r = 0; r < kRowsPerBar; r += 2) Drum(kChHats, row + r, kClosedHat, r % 4 ? 30 : 42);
        Drum(kChHats, row + 14, kOpenHat, 34);
        break;
    case Drums::Four:
        for (int r = 0; r < kRowsPerBar; r += 4) Drum(kChKick, row + r, kKick, 64);
        for (int r : {4, 12}) Drum(kChSnare, row + r, kSnare, 62);
        for (int r = 0; r < kRowsPerBar; ++r) {
            if (r % 4 == 2) Drum(kChHats, row + r, kOpenHat, 34);
            else Drum(kChHats, row + r, kClosedHat, r % 2 ? 22 : 34);
        }
        break;
    case Drums::Half:
        for (int r : {0, 3, 10}) Drum(kChKick, row + r, kKick, 64);
        Drum(kChSnare, row + 8, kSnare, 60);
        for (int r = 0; r < kRowsPerBar; r += 2) Drum(kChHats, row + r, kClosedHat, r % 4 ? 22 : 32);
        if (!lastBar) {
            Drum(kChSnare, row + 13, kTom, 40, kDrumNote + 5);
            Drum(kChSnare, row + 14, kTom, 44, kDrumNote);
        }
        break;
    case Drums::Sparse:
        for (int r : {0, 8}) Drum(kChKick, row + r, kKick, 56);
        for (int r : {2, 6, 10, 14}) Drum(kChHats, row + r, kClosedHat, 22);
        break;
    }
    if (!lastBar) return;
    if (ending == Ending::Fill) {
        // Snare, high tom, low tom, snare: a sixteenth-note run into the
        // next section.
        for (int r = 8; r < kRowsPerBar; ++r) {
            const int volume = 36 + 3 * (r - 8);
            if (r < 10 || r >= 14) Drum(kChSnare, row + r, kSnare, volume);
            else Drum(kChSnare, row + r, kTom, volume + 6, r < 12 ? kDrumNote + 7 : kDrumNote);
        }
        for (int r = 10; r < kRowsPerBar; ++r) At(kChHats, row + r) = Cell{};  // hats give way
    } else if (ending == Ending::Roll) {
        // A snare roll on every sixteenth, swelling through the bar.
        for (int r = 0; r < kRowsPerBar; ++r) Drum(kChSnare, row + r, kSnare, 14 + 3 * r);
    }
}

void BassBar(int row, const Chord& chord, Bass style, int volume)
{
    const int root = chord.bass;
    switch (style) {
    case Bass::None:
        break;
    case Bass::Whole:
        Note(kChBass, row, root, kBass, volume);
        break;
    case Bass::Eighths:
        // Octave bass: root and its octave in alternating eighths.
        for (int r = 0; r < kRowsPerBar; r += 2) {
            Note(kChBass, row + r, r % 4 ? root + 12 : root, kBass, r % 4 ? volume - 6 : volume);
        }
        break;
    case Bass::Syncopated:
        // 3 + 3 + 2 twice, the lead's own rhythm: root, root, octave,
        // root, root, fifth.
        Note(kChBass, row + 0, root, kBass, volume);
        Note(kChBass, row + 3, root, kBass, volume - 8);
        Note(kChBass, row + 6, root + 12, kBass, volume - 4);
        Note(kChBass, row + 8, root, kBass, volume);
        Note(kChBass, row + 11, root, kBass, volume - 8);
        Note(kChBass, row + 14, root + 7, kBass, volume - 4);
        break;
    case Bass::Heavy:
        Note(kChBass, row + 0, root, kBass, volume);
        Note(kChBass, row + 6, root, kBass, volume - 6);
        Note(kChBass, row + 8, root + 12, kBass, volume - 4);
        Note(kChBass, row + 10, root, kBass, volume);
        KeyOff(kChBass, row + 15);
        break;
    }
}

void ArpBar(int row, const Chord& chord, Arp style, int volume)
{
    switch (style) {
    case Arp::None:
        break;
    case Arp::Binary: {
        // Eighths swinging between two tones like a bit pattern, with the
        // other chord tones between.
        static const int kOrder[8] = {0, 2, 1, 2, 3, 2, 1, 2};
        for (int i = 0; i < 8; ++i) {
            Note(kChArp, row + 2 * i, chord.arp[kOrder[i]], kBell, volume + (i % 2 ? 0 : 4));
        }
        break;
    }
    case Arp::Sixteenths: {
        // Up and down the chord in sixes against the bar's sixteens.
        static const int kOrder[6] = {0, 1, 2, 3, 2, 1};
        for (int r = 0; r < kRowsPerBar; ++r) {
            Note(kChArp, row + r, chord.arp[kOrder[r % 6]], kBell, volume + (r % 4 ? 0 : 4));
        }
        break;
    }
    }
}

// Writes a section of whole bars: one chord per bar, played as
// `arrangement` says, at one tempo per bar. Returns the row after it.
int Bars(const char* name, double target, int row, const char* progression,
         std::vector<int> bpmPerBar, const Arrangement& arrangement)
{
    Sections.push_back({name, target, row});
    const std::vector<const Chord*> chords = Progression(progression);
    if (chords.size() != bpmPerBar.size()) Fatal("tempo list and chord list differ in length");
    const Chord* previous = nullptr;
    const int bars = static_cast<int>(chords.size());
    for (int bar = 0; bar < bars; ++bar) {
        const int r = row + bar * kRowsPerBar;
        const Chord& chord = *chords[bar];
        const bool last = bar == bars - 1;
        if (bar == 0 || bpmPerBar[bar] != bpmPerBar[bar - 1]) Tempo(r, bpmPerBar[bar]);
        if (arrangement.padVolume && &chord != previous) {
            for (int v = 0; v < 3; ++v) Note(kChPadA + v, r, chord.pad[v], kPad, arrangement.padVolume);
        }
        previous = &chord;
        BassBar(r, chord, arrangement.bass, arrangement.bassVolume);
        DrumBar(r, arrangement.drums, last, arrangement.ending);
        int arpVolume = arrangement.arpVolume;
        if (arrangement.arpVolumeEnd >= 0 && bars > 1) {
            arpVolume += (arrangement.arpVolumeEnd - arrangement.arpVolume) * bar / (bars - 1);
        }
        ArpBar(r, chord, arrangement.arp, arpVolume);
    }
    if (arrangement.crash) {
        Drum(kChFx, row, kCrash, 44);
        Drum(kChKick, row, kKick, 64);
    }
    // Voices this section does not use fall silent at its start.
    if (!arrangement.padVolume) {
        for (int v = 0; v < 3; ++v) KeyOff(kChPadA + v, row);
    }
    if (arrangement.bass == Bass::None) KeyOff(kChBass, row);
    if (arrangement.arp == Arp::None) KeyOff(kChArp, row);
    return row + bars * kRowsPerBar;
}

// The lead theme: a falling three-note figure in the 3 + 3 + 2 rhythm,
// answered by a climb up the D minor chord and a turn on the dominant.
const char* const kThemeA =
    "E5:6 D5:6 C5:4 | C5:6 D5:6 A4:4 | E5:6 D5:6 C5:4 | D5:6 B4:6 G4:4 |"
    "E5:6 D5:6 C5:4 | F5:6 E5:6 C5:4 | D5:4 F5:4 A5:4 F5:4 | G#5:6 E5:6 B4:4";

// Its second statement, ornamented and reaching an octave higher.
const char* const kThemeB =
    "E5:6 D5:6 C5:2 D5:2 | C5:6 D5:6 E5:2 F5:2 | G5:6 E5:6 C5:4 | D5:6 B4:6 D5:2 G5:2 |"
    "A5:6 G5:6 E5:4 | F5:6 A5:6 C6:4 | D6:4 C6:4 A5:4 F5:4 | G#5:6 B5:6 E5:4";

// The intro hints at the theme, an octave down.
const char* const kIntroHint = "E4:6 D4:6 C4:4 | C4:6 D4:6 A3:4 | D4:4 F4:4 A4:4 F4:4 | G#4:12 r:4";

const char* const kClimax = "C6:8 A5:4 C6:4 | D6:8 B5:4 G5:4 | E6:6 D6:6 B5:4 | C6:12 A5:4";
const char* const kTorusReturns = "A5:6 C6:6 A5:4 | B5:6 D6:6 B5:4 | G#5:6 B5:6 E6:4 | E6:12 r:4";
const char* const kDark = "D5:8 C5:4 A4:4 | Bb4:8 A4:4 F4:4 | G4:6 Bb4:6 D5:4 | C#5:12 E5:4";

// The tempo of each bar: `bpm` throughout, or `lastBar` in the last one
// (a nudge that lands the next section on its scene).
std::vector<int> Tempi(int bpm, int bars, int lastBar = 0)
{
    std::vector<int> tempi(static_cast<size_t>(bars), bpm);
    if (lastBar) tempi.back() = lastBar;
    return tempi;
}

// Copies `from` onto `to` `kEchoDelay` rows later at `share` of the volume:
// a tape echo written into the patterns.
void Echo(int from, int to, double share)
{
    for (int row = static_cast<int>(Rows.size()) - 1 - kEchoDelay; row >= 0; --row) {
        const Cell& source = Rows[row][from];
        if (source.note == 0) continue;
        Cell& target = Rows[row + kEchoDelay][to];
        if (source.note == kKeyOff) {
            target.note = kKeyOff;
            continue;
        }
        target.note = source.note;
        target.instrument = source.instrument;
        target.volume = Volume(static_cast<int>((source.volume - 0x10) * share + 0.5));
        target.effect = kEffectSetPanning;
        target.param = kPanning[to];
    }
}

void Compose()
{
    Rows.clear();
    Sections.clear();
    int row = 0;

    // Calm intro under the letterboxed panels: pads and a bell figure that
    // ticks like bits; the bass joins after four bars, soft hats and a hint
    // of the theme after eight; a cymbal swells into the drums.
    {
        Arrangement a;
        a.padVolume = 40;
        a.arp = Arp::Binary;
        a.arpVolume = 22;
        a.arpVolumeEnd = 34;
        a.crash = false;
        const char* const kChords = "Am Am F F C C G G Am F Dm E";
        const int start = row;
        row = Bars("intro", 0.0, row, kChords, Tempi(114, 12, 116), a);
        const std::vector<const Chord*> chords = Progression(kChords);
        for (int bar = 4; bar < 12; ++bar) {
            const int r = start + bar * kRowsPerBar;
            Note(kChBass, r, chords[bar]->bass, kBass, 42);
            if (bar >= 8) {
                for (int h : {2, 6, 10, 14}) Drum(kChHats, r + h, kClosedHat, 12 + bar);
            }
        }
        Melody(kChLead, start + 8 * kRowsPerBar, kIntroHint, kLead, 40);
        Drum(kChFx, row - 4, kSwell, 40);
    }

    // Drums with the lightning: the full kit, octave bass, a running arpeggio.
    {
        Arrangement a;
        a.drums = Drums::Groove;
        a.bass = Bass::Eighths;
        a.bassVolume = 52;
        a.arp = Arp::Sixteenths;
        a.arpVolume = 20;
        a.padVolume = 30;
        a.ending = Ending::Fill;
        KeyOff(kChLead, row);
        row = Bars("drums", 25.20, row, "Am F C G Am E", Tempi(117, 6, 118), a);
    }

    // Half a second while the picture fades to black: everything lets go
    // and a cymbal swells into the main theme.
    {
        Sections.push_back({"transition", 37.50, row});
        Tempo(row, 120);
        Drum(kChFx, row, kSwell, 44);
        for (int c : {kChBass, kChPadA, kChPadB, kChPadC, kChArp}) KeyOff(c, row);
        for (int r = 0; r < 4; ++r) Drum(kChSnare, row + r, kSnare, 18 + 8 * r);
        row += 4;
    }

    // The main theme under the wire torus, then its second statement when
    // the logo slides in.
    {
        Arrangement a;
        a.drums = Drums::Groove;
        a.bass = Bass::Syncopated;
        a.bassVolume = 54;
        a.arp = Arp::Binary;
        a.arpVolume = 18;
        a.padVolume = 32;
        a.ending = Ending::Fill;
        const int start = row;
        row = Bars("theme", 38.00, row, "Am F C G Am F Dm E", Tempi(128, 8), a);
        Melody(kChLead, start, kThemeA, kLead, 56);

        a.arp = Arp::Sixteenths;
        a.arpVolume = 20;
        a.padVolume = 34;
        const int second = row;
        row = Bars("theme again", 53.00, row, "Am F C G Am F Dm E", Tempi(122, 8, 123), a);
        Melody(kChLead, second, kThemeB, kLead, 58);
    }

    // Climax under the blue plasma, continued when the torus returns.
    {
        Arrangement a;
        a.drums = Drums::Four;
        a.bass = Bass::Eighths;
        a.bassVolume = 54;
        a.arp = Arp::Sixteenths;
        a.arpVolume = 22;
        a.padVolume = 36;
        int start = row;
        row = Bars("climax", 68.70, row, "F G Em Am", Tempi(125, 4, 127), a);
        Melody(kChLead, start, kClimax, kLead, 60);
        a.ending = Ending::Fill;
        start = row;
        row = Bars("torus returns", 76.35, row, "F G E E", Tempi(125, 4, 127), a);
        Melody(kChLead, start, kTorusReturns, kLead, 60);
    }

    // Darker when the plasma turns red: D minor, half-time drums and toms,
    // a heavy bass and the lead low.
    {
        Arrangement a;
        a.drums = Drums::Half;
        a.bass = Bass::Heavy;
        a.bassVolume = 58;
        a.arp = Arp::Binary;
        a.arpVolume = 18;
        a.padVolume = 36;
        const int start = row;
        row = Bars("dark", 84.00, row, "Dm Bb Gm A", Tempi(125, 4, 124), a);
        Drum(kChSnare, start, kTom, 56, kDrumNote - 3);
        Melody(kChLead, start, kDark, kLead, 54);
    }

    // The plasma alone: a breakdown that builds, a snare roll and a swell
    // into the finale.
    {
        Arrangement a;
        a.drums = Drums::Sparse;
        a.bass = Bass::Whole;
        a.bassVolume = 48;
        a.arp = Arp::Sixteenths;
        a.arpVolume = 20;
        a.arpVolumeEnd = 32;
        a.padVolume = 40;
        a.ending = Ending::Roll;
        a.crash = false;
        KeyOff(kChLead, row);
        row = Bars("plasma alone", 91.70, row, "F G Am E", Tempi(125, 4, 126), a);
        Drum(kChFx, row - 4, kSwell, 44);
    }

    // The finale under the rotozoomer: the theme once more, looped for as
    // long as the finale runs. Its first row sets everything it needs, so
    // it sounds the same after every loop.
    {
        Arrangement a;
        a.drums = Drums::Groove;
        a.bass = Bass::Syncopated;
        a.bassVolume = 54;
        a.arp = Arp::Sixteenths;
        a.arpVolume = 20;
        a.padVolume = 34;
        const int start = row;
        row = Bars("finale", 99.35, row, "Am F C G Am F Dm E", Tempi(125, 8), a);
        Melody(kChLead, start, kThemeA, kLead, 58);
    }

    Rows.resize(static_cast<size_t>(row));
    Echo(kChLead, kChLeadEcho, 0.4);
    Echo(kChArp, kChArpEcho, 0.45);
}

// Seconds from the song's start to the start of `row`, following the tempo
// changes written on the way. A tick lasts 2.5 / BPM s; a player rendering
// at `rate` Hz rounds it down to whole samples, so the timing drifts a
// little with the output rate (rate 0: exact).
double SecondsAt(int row, int rate)
{
    double seconds = 0.0;
    int bpm = 125;
    for (int r = 0; r < row; ++r) {
        for (const Cell& c : Rows[r]) {
            if (c.effect == kEffectSetTempo && c.param >= 32) bpm = c.param;
        }
        const double tick = rate ? std::floor(rate * 2.5 / bpm) / rate : 2.5 / bpm;
        seconds += kSpeed * tick;
    }
    return seconds;
}

}  // namespace

Module ComposeSoundtrack(std::vector<SectionTiming>* sections)
{
    Compose();

    Module m;
    m.name = "Zelvik";
    m.channels = kChannels;
    m.speed = kSpeed;
    m.bpm = 114;
    m.instruments = MakeInstruments();

    // Each section is cut into patterns of at most four bars, played in
    // order; the song restarts at the finale's first pattern.
    sections->clear();
    for (size_t s = 0; s < Sections.size(); ++s) {
        const int first = Sections[s].firstRow;
        const int end = s + 1 < Sections.size() ? Sections[s + 1].firstRow : static_cast<int>(Rows.size());
        SectionTiming timing{Sections[s].name, Sections[s].target, static_cast<int>(m.orders.size()), {}};
        for (int rate : kCheckedRates) timing.startSeconds.push_back(SecondsAt(first, rate));
        sections->push_back(timing);
        for (int row = first; row < end; row += 4 * kRowsPerBar) {
            Pattern p;
            p.rows = std::min(4 * kRowsPerBar, end - row);
            for (int r = row; r < row + p.rows; ++r) p.cells.insert(p.cells.end(), Rows[r].begin(), Rows[r].end());
            m.orders.push_back(static_cast<uint8_t>(m.patterns.size()));
            m.patterns.push_back(std::move(p));
        }
    }
    m.restartPosition = sections->back().firstOrder;
    return m;
}

}  // namespace makemusic
