#include "instruments.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace makemusic {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Every sample is synthesised at 33452 Hz: the rate at which the XM note
// C-4 plays a sample with relative note +24 (8363 Hz * 4). A tone whose
// period is 128 frames then sounds at middle C; one whose period is 256
// frames needs relative note +36.
constexpr double kRate = 33452.0;

// Deterministic white noise in [-1, 1] (xorshift32), so that every build
// writes the same file.
struct Noise {
    uint32_t state;
    double Next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state / 2147483647.5 - 1.0;
    }
};

// One-pole filters, cutoff in Hz.
struct OnePole {
    double a = 0.0;
    double y = 0.0;
    explicit OnePole(double cutoff) : a(1.0 - std::exp(-2.0 * kPi * cutoff / kRate)) {}
    double Low(double x) { return y += a * (x - y); }
    double High(double x) { return x - Low(x); }
};

size_t Frames(double seconds)
{
    return static_cast<size_t>(seconds * kRate);
}

// Scales to `peak` of full scale and converts to 16 bits.
std::vector<int16_t> ToPcm(const std::vector<double>& wave, double peak)
{
    double largest = 1e-9;
    for (double s : wave) largest = std::max(largest, std::fabs(s));
    std::vector<int16_t> pcm(wave.size());
    for (size_t i = 0; i < wave.size(); ++i) {
        pcm[i] = static_cast<int16_t>(std::lround(wave[i] / largest * peak * 32767.0));
    }
    return pcm;
}

// Short linear fades at both ends of a one-shot sample, so that it starts
// and stops without a click.
void FadeEnds(std::vector<double>* wave, double inSeconds, double outSeconds)
{
    const size_t in = std::min(wave->size(), Frames(inSeconds));
    const size_t out = std::min(wave->size(), Frames(outSeconds));
    for (size_t i = 0; i < in; ++i) (*wave)[i] *= static_cast<double>(i) / in;
    for (size_t i = 0; i < out; ++i) (*wave)[wave->size() - 1 - i] *= static_cast<double>(i) / out;
}

// The six detuned square waves of an analogue cymbal, mixed with noise and
// kept above `highPass` Hz.
std::vector<double> Metal(double seconds, double pitch, double noiseShare, double highPass, uint32_t seed)
{
    static const double kPartials[6] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
    Noise noise{seed};
    OnePole hp1(highPass), hp2(highPass), lp(14000.0);
    std::vector<double> wave(Frames(seconds));
    for (size_t i = 0; i < wave.size(); ++i) {
        const double t = i / kRate;
        double squares = 0.0;
        for (double f : kPartials) squares += std::sin(2.0 * kPi * f * pitch * t) >= 0.0 ? 1.0 : -1.0;
        const double x = squares / 6.0 * (1.0 - noiseShare) + noise.Next() * noiseShare;
        wave[i] = lp.Low(hp2.High(hp1.High(x)));
    }
    return wave;
}

Instrument OneShot(const char* name, std::vector<double> wave, uint8_t volume, uint8_t panning)
{
    FadeEnds(&wave, 0.0005, 0.01);
    Instrument in;
    in.name = name;
    in.sample = ToPcm(wave, 0.95);
    in.volume = volume;
    in.panning = panning;
    in.relativeNote = 24;
    // A flat envelope that closes at the end: drums ring out as recorded
    // but are silenced cleanly by a key-off.
    in.volumeEnvelope.points = {{0, 64}, {4, 64}, {8, 0}};
    in.volumeEnvelope.sustain = 1;
    in.fadeout = 0x800;
    return in;
}

Instrument MakeKick()
{
    Noise noise{0x1234567u};
    OnePole clickFilter(3000.0);
    std::vector<double> wave(Frames(0.45));
    double phase = 0.0;
    for (size_t i = 0; i < wave.size(); ++i) {
        const double t = i / kRate;
        const double f = 46.0 + 110.0 * std::exp(-t / 0.03) + 80.0 * std::exp(-t / 0.004);
        phase += 2.0 * kPi * f / kRate;
        const double body = std::sin(phase) * std::exp(-t / 0.22);
        const double click = clickFilter.Low(noise.Next()) * std::exp(-t / 0.002) * 1.5;
        wave[i] = std::tanh(1.8 * (body + click)) / std::tanh(1.8);
    }
    return OneShot("kick", wave, 64, 128);
}

Instrument MakeSnare()
{
    Noise noise{0x2345678u};
    OnePole hp(1200.0), lp(9000.0);
    std::vector<double> wave(Frames(0.32));
    for (size_t i = 0; i < wave.size(); ++i) {
        const double t = i / kRate;
        const double tone = (0.6 * std::sin(2.0 * kPi * 185.0 * t) + 0.3 * std::sin(2.0 * kPi * 330.0 * t)) *
                            std::exp(-t / 0.06);
        const double rattle = lp.Low(hp.High(noise.Next())) * std::exp(-t / 0.13);
        // Driven into soft saturation: a fatter crack for the same peak.
        wave[i] = std::tanh(2.5 * (0.8 * tone + 1.1 * rattle));
    }
    return OneShot("snare", wave, 64, 124);
}

Instrument MakeHat(const char* name, double seconds, double decay, uint32_t seed)
{
    std::vector<double> wave = Metal(seconds, 1.7, 0.55, 6500.0, seed);
    for (size_t i = 0; i < wave.size(); ++i) wave[i] *= std::exp(-(i / kRate) / decay);
    return OneShot(name, wave, 64, 150);
}

Instrument MakeCrash()
{
    std::vector<double> wave = Metal(1.8, 1.3, 0.75, 3500.0, 0x3456789u);
    for (size_t i = 0; i < wave.size(); ++i) {
        const double t = i / kRate;
        wave[i] *= std::exp(-t / 0.5) * std::min(1.0, t / 0.003);
    }
    Instrument in = OneShot("crash", wave, 48, 100);
    in.volumeEnvelope.points = {{0, 64}, {100, 64}, {110, 0}};
    return in;
}

// A cymbal played backwards in effect: it swells for half a second to its
// peak and stops dead, timed to end on the downbeat it leads into.
Instrument MakeSwell()
{
    constexpr double kRise = 0.5;
    std::vector<double> wave = Metal(kRise + 0.02, 1.3, 0.8, 2500.0, 0x456789Au);
    for (size_t i = 0; i < wave.size(); ++i) {
        const double t = i / kRate;
        wave[i] *= t < kRise ? std::pow(t / kRise, 2.5) : 1.0 - (t - kRise) / 0.02;
    }
    Instrument in = OneShot("swell", wave, 40, 128);
    in.volumeEnvelope.points = {{0, 64}, {40, 64}, {46, 0}};
    return in;
}

Instrument MakeTom()
{
    Noise noise{0x56789ABu};
    std::vector<double> wave(Frames(0.45));
    double phase = 0.0;
    for (size_t i = 0; i < wave.size(); ++i) {
        const double t = i / kRate;
        const double f = 95.0 + 70.0 * std::exp(-t / 0.05);
        phase += 2.0 * kPi * f / kRate;
        wave[i] = std::sin(phase) * std::exp(-t / 0.2) + 0.25 * noise.Next() * std::exp(-t / 0.012);
    }
    return OneShot("tom", wave, 56, 128);
}

// A plucked synth bass: a saw with a square's weight, whose brightness
// falls quickly after the attack as if through a closing low-pass filter.
// The last period loops, so the note sustains at its darkest.
Instrument MakeBass()
{
    constexpr int kPeriod = 256;  // frames per cycle at C-4 (relative note +36)
    constexpr int kCycles = 32;
    constexpr int kHarmonics = kPeriod / 2 - 1;
    constexpr size_t kLength = static_cast<size_t>(kPeriod) * kCycles;
    const size_t settled = kLength - kPeriod;
    std::vector<double> wave(kLength);
    for (size_t i = 0; i < kLength; ++i) {
        const double n = static_cast<double>(std::min(i, settled));
        const double cutoff = 6.0 + 40.0 * std::exp(-n / 2500.0);
        double s = 0.0;
        for (int h = 1; h <= kHarmonics; ++h) {
            const double weight = (1.0 + (h % 2 ? 0.35 : 0.0)) / h;
            const double filter = 1.0 / std::sqrt(1.0 + std::pow(h / cutoff, 4.0));
            s += weight * filter * std::sin(2.0 * kPi * h * static_cast<double>(i % kPeriod) / kPeriod);
        }
        wave[i] = s;
    }
    Instrument in;
    in.name = "bass";
    in.sample = ToPcm(wave, 0.9);
    in.loop = true;
    in.loopStart = static_cast<uint32_t>(settled);
    in.loopLength = kPeriod;
    in.volume = 64;
    in.relativeNote = 36;
    in.volumeEnvelope.points = {{0, 64}, {6, 52}, {30, 40}, {36, 0}};
    in.volumeEnvelope.sustain = 2;
    in.fadeout = 0x400;
    return in;
}

// A loop of `length` frames holding whole cycles of several detuned
// oscillators: oscillator k completes cycles[k] cycles in the loop, so the
// loop joins without a seam. Each oscillator is a sum of harmonics with
// the weights `harmonic(h)`, in sine phase (the classic waveform shapes) or
// with a fixed random phase per harmonic (a smoother, rounder sum).
template <typename Weight>
std::vector<double> DetunedLoop(size_t length, const std::vector<int>& cycles,
                                const std::vector<double>& levels, int harmonics, Weight harmonic,
                                bool randomPhase, uint32_t seed)
{
    Noise noise{seed};
    std::vector<double> wave(length, 0.0);
    for (size_t k = 0; k < cycles.size(); ++k) {
        for (int h = 1; h <= harmonics; ++h) {
            const double phase = randomPhase ? kPi * noise.Next() : 0.0;
            // Keep every partial well below the sample's Nyquist frequency.
            if (2.5 * h * cycles[k] > static_cast<double>(length)) continue;
            const double amplitude = levels[k] * harmonic(h);
            const double step = 2.0 * kPi * h * cycles[k] / static_cast<double>(length);
            for (size_t i = 0; i < length; ++i) wave[i] += amplitude * std::sin(step * i + phase);
        }
    }
    return wave;
}

// A warm string pad: three saws a few cents apart plus an octave above,
// softened above the tenth harmonic. Slow to rise, slow to fade.
Instrument MakePad()
{
    constexpr size_t kLength = 16384;  // 128 cycles of the centre oscillator
    std::vector<double> wave = DetunedLoop(
        kLength, {127, 128, 129, 256}, {1.0, 1.0, 1.0, 0.3}, 36,
        [](int h) { return 1.0 / h / (1.0 + (h / 10.0) * (h / 10.0)); }, true, 0x6789ABCu);
    Instrument in;
    in.name = "pad";
    in.sample = ToPcm(wave, 0.9);
    in.loop = true;
    in.loopStart = 0;
    in.loopLength = static_cast<uint32_t>(kLength);
    in.volume = 64;
    in.relativeNote = 24;
    in.volumeEnvelope.points = {{0, 20}, {14, 64}, {40, 56}, {70, 0}};
    in.volumeEnvelope.sustain = 2;
    in.fadeout = 0x100;
    return in;
}

// The lead: a saw and a 30% pulse, two voices a few cents apart, with a
// vibrato that fades in while a note is held.
Instrument MakeLead()
{
    constexpr size_t kLength = 32768;  // 256 cycles of the first voice
    std::vector<double> wave = DetunedLoop(
        kLength, {256, 257}, {1.0, 0.7}, 24,
        [](int h) {
            const double saw = 1.0 / h;
            const double pulse = 2.0 / (kPi * h) * std::fabs(std::sin(kPi * h * 0.3));
            return (0.6 * saw + 0.5 * pulse) / (1.0 + std::pow(h / 14.0, 4.0));
        },
        false, 0);
    Instrument in;
    in.name = "lead";
    in.sample = ToPcm(wave, 0.9);
    in.loop = true;
    in.loopStart = 0;
    in.loopLength = static_cast<uint32_t>(kLength);
    in.volume = 64;
    in.relativeNote = 24;
    in.volumeEnvelope.points = {{0, 0}, {2, 64}, {16, 50}, {22, 0}};
    in.volumeEnvelope.sustain = 2;
    in.fadeout = 0x300;
    in.vibratoType = 0;  // sine
    in.vibratoSweep = 40;
    in.vibratoDepth = 3;
    in.vibratoRate = 10;
    return in;
}

// A glassy bell pluck for arpeggios: a few partials, the higher ones (one
// of them slightly inharmonic) dying away first.
Instrument MakeBell()
{
    struct Partial {
        double ratio, level, decay;
    };
    static const Partial kPartials[] = {
        {1.0, 1.0, 0.45}, {2.0, 0.5, 0.25}, {3.0, 0.25, 0.12}, {4.07, 0.2, 0.07}, {6.9, 0.12, 0.03},
    };
    constexpr double kMiddleC = kRate / 128.0;
    std::vector<double> wave(Frames(0.8));
    for (size_t i = 0; i < wave.size(); ++i) {
        const double t = i / kRate;
        double s = 0.0;
        for (const Partial& p : kPartials) {
            s += p.level * std::exp(-t / p.decay) * std::sin(2.0 * kPi * kMiddleC * p.ratio * t);
        }
        wave[i] = s;
    }
    FadeEnds(&wave, 0.0015, 0.05);
    Instrument in;
    in.name = "bell";
    in.sample = ToPcm(wave, 0.9);
    in.volume = 64;
    in.panning = 128;
    in.relativeNote = 24;
    in.volumeEnvelope.points = {{0, 64}, {30, 40}, {90, 0}};
    in.fadeout = 0x200;
    return in;
}

}  // namespace

std::vector<Instrument> MakeInstruments()
{
    std::vector<Instrument> list;
    list.push_back(MakeKick());
    list.push_back(MakeSnare());
    list.push_back(MakeHat("closed hat", 0.12, 0.025, 0x89ABCDEu));
    list.push_back(MakeHat("open hat", 0.5, 0.2, 0x9ABCDEFu));
    list.push_back(MakeCrash());
    list.push_back(MakeSwell());
    list.push_back(MakeTom());
    list.push_back(MakeBass());
    list.push_back(MakePad());
    list.push_back(MakeLead());
    list.push_back(MakeBell());
    return list;
}

}  // namespace makemusic
