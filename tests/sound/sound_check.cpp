// The sound-server tests' measuring tool, on the sound server's own client
// library.
//
//   sound_check record SOURCE SECONDS OUT.raw
//     records SOURCE (a sink's monitor) as 16-bit stereo at 44100 Hz for
//     SECONDS, and prints the CLOCK_MONOTONIC time in seconds at which the
//     first recorded sample passed through the sink, from the server's own
//     account of the stream's latency (median over the reads).
//   sound_check now
//     prints the CLOCK_MONOTONIC time in seconds.
//   sound_check onset RECORDING.raw FIRST_SAMPLE_S
//     prints the monotonic time of the first sound (a sample beyond 64) in
//     a recording whose first sample passed at FIRST_SAMPLE_S.
//   sound_check analyse REFERENCE.raw RECORDING.raw FIRST_SAMPLE_S CLOCK0_S FROM_S TO_S
//     REFERENCE is the offline render of the show's music (same format),
//     its sample 0 being demo clock 0; CLOCK0_S is the monotonic time of
//     demo clock 0 as the show reported it. Finds where the stretch FROM_S
//     ... TO_S of the reference (seconds of music) is in the recording by
//     cross-correlation (within a second of where the demo clock puts it),
//     and prints one line of figures: the offset of the
//     heard music against the demo clock (ms, positive: heard late), the
//     level of the recording and of the reference over that stretch (dBFS)
//     and the longest silence in the recording inside it (ms).
#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

constexpr int kRate = 44100;

double Monotonic()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

int Record(const char* source, double seconds, const char* path)
{
    const pa_sample_spec spec{PA_SAMPLE_S16LE, kRate, 2};
    // Small fragments: each read is timed to within a few milliseconds.
    constexpr uint32_t kChunkFrames = kRate / 200;
    pa_buffer_attr attr{static_cast<uint32_t>(-1), static_cast<uint32_t>(-1), static_cast<uint32_t>(-1),
                        static_cast<uint32_t>(-1), kChunkFrames * 4};
    int error = 0;
    pa_simple* stream = pa_simple_new(nullptr, "sound_check", PA_STREAM_RECORD, source, "recording", &spec,
                                      nullptr, &attr, &error);
    if (stream == nullptr) {
        std::fprintf(stderr, "sound_check: cannot record %s: %s\n", source, pa_strerror(error));
        return 1;
    }
    FILE* out = std::fopen(path, "wb");
    if (out == nullptr) {
        std::perror(path);
        return 1;
    }
    const size_t total = static_cast<size_t>(seconds * kRate);
    std::vector<int16_t> chunk(kChunkFrames * 2);
    std::vector<double> starts;
    size_t frames = 0;
    while (frames < total) {
        if (pa_simple_read(stream, chunk.data(), chunk.size() * sizeof(int16_t), &error) < 0) {
            std::fprintf(stderr, "sound_check: recording stopped: %s\n", pa_strerror(error));
            break;
        }
        const double now = Monotonic();
        const pa_usec_t latency = pa_simple_get_latency(stream, &error);
        frames += kChunkFrames;
        // The newest sample read passed through the sink `latency` ago.
        starts.push_back(now - static_cast<double>(latency) * 1e-6 - static_cast<double>(frames) / kRate);
        std::fwrite(chunk.data(), sizeof(int16_t), chunk.size(), out);
    }
    std::fclose(out);
    pa_simple_free(stream);
    if (starts.empty()) return 1;
    std::nth_element(starts.begin(), starts.begin() + static_cast<long>(starts.size() / 2), starts.end());
    std::printf("%.6f\n", starts[starts.size() / 2]);
    return 0;
}

std::vector<float> ReadMono(const char* path)
{
    std::vector<float> samples;
    FILE* in = std::fopen(path, "rb");
    if (in == nullptr) return samples;
    int16_t frame[2];
    while (std::fread(frame, sizeof frame, 1, in) == 1)
        samples.push_back((static_cast<float>(frame[0]) + static_cast<float>(frame[1])) / 2.0f);
    std::fclose(in);
    return samples;
}

double LevelDb(const std::vector<float>& s, long from, long count)
{
    double sum = 0.0;
    for (long i = from; i < from + count; ++i) sum += static_cast<double>(s[i]) * s[i];
    return 10.0 * std::log10(sum / static_cast<double>(count) / (32768.0 * 32768.0) + 1e-20);
}

// Correlation of the reference stretch with the recording at `lag`
// (recording index of the stretch's first sample), every `step`th sample.
double Correlation(const std::vector<float>& ref, long from, long count, const std::vector<float>& rec,
                   long lag, long step)
{
    double dot = 0.0, energy = 0.0;
    for (long i = 0; i < count; i += step) {
        const double r = rec[lag + i];
        dot += r * ref[from + i];
        energy += r * r;
    }
    return energy > 0.0 ? dot / std::sqrt(energy) : 0.0;
}

// The longest run of samples within 2 of zero; where it ends in `*end`.
double LongestSilence(const std::vector<float>& s, long from, long count, long* end = nullptr)
{
    long longest = 0, run = 0;
    for (long i = from; i < from + count; ++i) {
        run = std::fabs(s[i]) <= 2.0f ? run + 1 : 0;
        if (run > longest && end != nullptr) *end = i - from;
        longest = std::max(longest, run);
    }
    return static_cast<double>(longest);
}

int Analyse(char** argv)
{
    const std::vector<float> ref = ReadMono(argv[0]);
    const std::vector<float> rec = ReadMono(argv[1]);
    const double firstSample = std::atof(argv[2]);
    const double clock0 = std::atof(argv[3]);
    const long from = static_cast<long>(std::atof(argv[4]) * kRate);
    const long count = static_cast<long>(std::atof(argv[5]) * kRate) - from;
    // Where the stretch would be if heard exactly on the demo clock.
    const long expected = static_cast<long>(std::lround((clock0 - firstSample) * kRate)) + from;
    const long reach = kRate;
    if (count <= 0 || from + count > static_cast<long>(ref.size()) || expected - reach < 0 ||
        expected + reach + count > static_cast<long>(rec.size())) {
        std::fprintf(stderr, "sound_check: the recording (%zu frames, music from %ld) does not cover %ld ... %ld\n",
                     rec.size(), expected - from, from, from + count);
        return 1;
    }
    // Coarse search every 8th lag on every 8th sample, then every lag near
    // the best one.
    long best = expected;
    double bestValue = -1e300;
    for (long lag = expected - reach; lag <= expected + reach; lag += 8) {
        const double value = Correlation(ref, from, count, rec, lag, 8);
        if (value > bestValue) bestValue = value, best = lag;
    }
    const long coarse = best;
    bestValue = -1e300;
    for (long lag = coarse - 16; lag <= coarse + 16; ++lag) {
        const double value = Correlation(ref, from, count, rec, lag, 1);
        if (value > bestValue) bestValue = value, best = lag;
    }
    long silenceEnd = 0;
    const double silence = LongestSilence(rec, best, count, &silenceEnd);
    std::printf("offset_ms %.1f level_db %.2f reference_db %.2f silence_ms %.1f at_s %.2f reference_silence_ms %.1f\n",
                static_cast<double>(best - expected) * 1000.0 / kRate, LevelDb(rec, best, count),
                LevelDb(ref, from, count), silence * 1000.0 / kRate,
                static_cast<double>(from + silenceEnd) / kRate, LongestSilence(ref, from, count) * 1000.0 / kRate);
    return 0;
}

}  // namespace

int Onset(const char* path, double firstSample)
{
    const std::vector<float> rec = ReadMono(path);
    for (size_t i = 0; i < rec.size(); ++i)
        if (std::fabs(rec[i]) > 64.0f) {
            std::printf("%.6f\n", firstSample + static_cast<double>(i) / kRate);
            return 0;
        }
    std::fprintf(stderr, "sound_check: %s is silent\n", path);
    return 1;
}

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "now") == 0) return std::printf("%.6f\n", Monotonic()) < 0;
    if (argc == 4 && std::strcmp(argv[1], "onset") == 0) return Onset(argv[2], std::atof(argv[3]));
    if (argc == 5 && std::strcmp(argv[1], "record") == 0) return Record(argv[2], std::atof(argv[3]), argv[4]);
    if (argc == 8 && std::strcmp(argv[1], "analyse") == 0) return Analyse(argv + 2);
    std::fprintf(stderr, "usage: sound_check record SOURCE SECONDS OUT.raw\n"
                         "       sound_check now\n"
                         "       sound_check onset RECORDING FIRST_SAMPLE_S\n"
                         "       sound_check analyse REFERENCE RECORDING FIRST_SAMPLE_S CLOCK0_S FROM_S TO_S\n");
    return 2;
}
