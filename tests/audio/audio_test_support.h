// Helpers shared by the audio tests: the soundtrack's path, a scratch
// folder, small modules made on the spot, and level measurements.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <numbers>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "xm_writer.h"

namespace audiotest {

inline const char* DemoXm()
{
    return ZELVIK_DEMO_XM;
}

inline std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A fresh folder under the system's temporary folder, removed afterwards.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zelvik-audio-XXXXXX").string();
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// A short module: `rows` rows at speed 6, BPM 125 (0.12 s a row) with one
// looping sine note on the first row of each of two channels, one panned
// hard left and one hard right. Restart position 0.
inline std::vector<uint8_t> TinyModule(int rows = 16)
{
    makemusic::Module m;
    m.name = "tiny";
    m.channels = 2;
    makemusic::Instrument tone;
    tone.name = "sine";
    for (int i = 0; i < 256; ++i) {
        tone.sample.push_back(static_cast<int16_t>(std::lround(20000.0 * std::sin(2.0 * std::numbers::pi * i / 64.0))));
    }
    tone.loop = true;
    tone.loopStart = 0;
    tone.loopLength = 256;
    tone.volumeEnvelope.points = {{0, 64}, {10, 64}};
    tone.volumeEnvelope.sustain = 1;
    m.instruments.push_back(tone);
    makemusic::Pattern p;
    p.rows = rows;
    p.cells.resize(static_cast<size_t>(rows) * 2);
    p.cells[0] = {49, 1, 0x50, makemusic::kEffectSetPanning, 0x00};
    p.cells[1] = {61, 1, 0x50, makemusic::kEffectSetPanning, 0xFF};
    m.patterns.push_back(p);
    m.orders = {0};
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(makemusic::WriteXm(m, &bytes, &error)) << error;
    return bytes;
}

// Level of 16-bit samples in dB relative to full scale.
inline double Decibels(double amplitude)
{
    return 20.0 * std::log10(amplitude / 32768.0 + 1e-12);
}

inline double RmsOf(const int16_t* samples, size_t count)
{
    double sum = 0.0;
    for (size_t i = 0; i < count; ++i) sum += static_cast<double>(samples[i]) * samples[i];
    return count ? std::sqrt(sum / count) : 0.0;
}

}  // namespace audiotest
