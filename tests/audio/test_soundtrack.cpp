// The soundtrack the generator writes: a well-formed XM that every player
// loads, timed to the show's scene changes, looping into the finale, and
// mixed to a sensible level.
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "audio_test_support.h"
#include "platform/audio/module_player.h"

using namespace zelvik;
using namespace audiotest;

namespace {

// The show's scene changes, in seconds; the finale starts at the last.
constexpr double kSceneChanges[] = {0.0, 25.20, 37.50, 38.00, 53.00, 68.70, 76.35, 84.00, 91.70, 99.35};
constexpr double kFinaleStart = 99.35;
constexpr double kTolerance = 0.15;
constexpr int kRate = 44100;

uint32_t Field16(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8);
}

uint32_t Field32(const std::vector<uint8_t>& b, size_t at)
{
    return Field16(b, at) | (Field16(b, at + 2) << 16);
}

struct Loaded {
    openmpt_module* module = nullptr;
    std::string log;
    Loaded()
    {
        const std::vector<uint8_t> bytes = ReadBytes(DemoXm());
        module = openmpt_module_create_from_memory2(
            bytes.data(), bytes.size(),
            [](const char* message, void* user) { *static_cast<std::string*>(user) += std::string(message) + "\n"; },
            &log, nullptr, nullptr, nullptr, nullptr, nullptr);
    }
    ~Loaded() { openmpt_module_destroy(module); }
};

// The start of every order, in seconds of play: as libopenmpt computes it
// for a seek (rate 0), or as heard when rendering at `rate` Hz, where each
// tick lasts a whole number of samples.
std::vector<double> OrderStarts(openmpt_module* module, int rate)
{
    std::vector<double> starts;
    if (rate == 0) {
        for (int32_t order = 0; order < openmpt_module_get_num_orders(module); ++order) {
            starts.push_back(openmpt_module_set_position_order_row(module, order, 0));
        }
        return starts;
    }
    openmpt_module_set_position_seconds(module, 0.0);
    int16_t scratch[2 * 16];
    size_t frames = 0;
    while (frames < static_cast<size_t>(rate) * 101) {
        while (static_cast<int>(starts.size()) <= openmpt_module_get_current_order(module)) {
            starts.push_back(static_cast<double>(frames) / rate);
        }
        const size_t got = openmpt_module_read_interleaved_stereo(module, rate, 16, scratch);
        if (got == 0) break;
        frames += got;
    }
    return starts;
}

// The first `seconds` of the soundtrack as the show plays it (44100 Hz,
// stereo, the show's load flags), rendered once for all tests.
const std::vector<int16_t>& Rendered(double seconds)
{
    static std::vector<int16_t> samples;
    const size_t frames = static_cast<size_t>(seconds * kRate);
    if (samples.size() < 2 * frames) {
        ModuleRenderer* r = OpenModuleRenderer(DemoXm(), kRate, false);
        EXPECT_NE(r, nullptr);
        if (!r) return samples;
        samples.assign(2 * frames, 0);
        EXPECT_EQ(RenderModuleFrames(r, samples.data(), frames), frames);
        CloseModuleRenderer(r);
    }
    return samples;
}

// RMS level in dBFS of the stereo stretch [from, to) seconds.
double LevelBetween(const std::vector<int16_t>& samples, double from, double to)
{
    const size_t begin = 2 * static_cast<size_t>(from * kRate);
    const size_t end = 2 * static_cast<size_t>(to * kRate);
    return Decibels(RmsOf(samples.data() + begin, end - begin));
}

}  // namespace

TEST(Soundtrack, IsAnXm104WithAnEvenNumberOfChannelsUnderOneMegabyte)
{
    const std::vector<uint8_t> b = ReadBytes(DemoXm());
    ASSERT_GT(b.size(), 336u);
    EXPECT_LT(b.size(), 1024u * 1024u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 17), "Extended Module: ");
    EXPECT_EQ(b[37], 0x1A);
    EXPECT_EQ(Field16(b, 58), 0x0104u);
    const uint32_t channels = Field16(b, 68);
    EXPECT_GE(channels, 6u);
    EXPECT_EQ(channels % 2, 0u);
    const uint32_t speed = Field16(b, 76), bpm = Field16(b, 78);
    EXPECT_TRUE(speed >= 1 && speed <= 31) << speed;
    EXPECT_TRUE(bpm >= 32 && bpm <= 255) << bpm;

    // Every pattern's packed data holds exactly rows x channels cells, and
    // every tempo effect stays in the range strict players accept.
    size_t pos = 60 + Field32(b, 60);
    const uint32_t patterns = Field16(b, 70);
    for (uint32_t p = 0; p < patterns; ++p) {
        ASSERT_LE(pos + 9, b.size());
        const uint32_t rows = Field16(b, pos + 5);
        const uint32_t packed = Field16(b, pos + 7);
        pos += Field32(b, pos);
        const size_t end = pos + packed;
        ASSERT_LE(end, b.size());
        uint32_t cells = 0;
        while (pos < end) {
            uint8_t fields[5] = {};
            const uint8_t first = b[pos];
            if (first & 0x80) {
                ++pos;
                for (int f = 0; f < 5; ++f) {
                    if (first & (1 << f)) fields[f] = b[pos++];
                }
            } else {
                for (int f = 0; f < 5; ++f) fields[f] = b[pos++];
            }
            if (fields[3] == 0x0F) {
                EXPECT_NE(fields[4], 0) << "speed 0 in pattern " << p;
            }
            ++cells;
        }
        EXPECT_EQ(pos, end) << "pattern " << p;
        EXPECT_EQ(cells, rows * channels) << "pattern " << p;
    }
}

TEST(Soundtrack, LibopenmptLoadsItWithoutAWord)
{
    Loaded loaded;
    ASSERT_NE(loaded.module, nullptr);
    EXPECT_EQ(loaded.log, "");
    const char* warnings = openmpt_module_get_metadata(loaded.module, "warnings");
    EXPECT_STREQ(warnings, "");
    openmpt_free_string(warnings);
    EXPECT_GE(openmpt_module_get_num_instruments(loaded.module), 4);
}

TEST(Soundtrack, SectionsStartWithTheScenesAtEitherRateAndTheSongLoopsTheFinale)
{
    Loaded loaded;
    ASSERT_NE(loaded.module, nullptr);
    const uint32_t restart = Field16(ReadBytes(DemoXm()), 66);
    for (int rate : {0, 22050, 44100}) {
        SCOPED_TRACE(testing::Message() << "rate " << rate);
        const std::vector<double> starts = OrderStarts(loaded.module, rate);
        int previous = -1;
        for (double scene : kSceneChanges) {
            const auto nearest = std::min_element(starts.begin(), starts.end(), [scene](double a, double b) {
                return std::fabs(a - scene) < std::fabs(b - scene);
            });
            const int order = static_cast<int>(nearest - starts.begin());
            EXPECT_NEAR(*nearest, scene, kTolerance) << "no section starts near " << scene << " s";
            EXPECT_GT(order, previous) << "the section at " << scene << " s";
            previous = order;
        }
        // The restart position is the order that starts the finale.
        EXPECT_EQ(static_cast<int>(restart), previous);
    }
    EXPECT_GT(openmpt_module_get_duration_seconds(loaded.module), kFinaleStart + 8.0)
        << "a finale of a few bars at least";
}

TEST(Soundtrack, IsLoudEnoughWithoutClippingAndNeverFallsSilent)
{
    const std::vector<int16_t>& samples = Rendered(100.0);
    ASSERT_EQ(samples.size(), 2u * 100 * kRate);
    int peak = 0;
    for (int16_t s : samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_LE(Decibels(peak), -1.0);

    const double level = LevelBetween(samples, 0.0, 100.0);
    EXPECT_GE(level, -22.0);
    EXPECT_LE(level, -12.0);

    // No stretch longer than a second below -60 dBFS before the finale.
    constexpr double kWindow = 0.05;
    double silentFor = 0.0, longest = 0.0;
    for (double t = 0.0; t + kWindow <= kFinaleStart; t += kWindow) {
        silentFor = LevelBetween(samples, t, t + kWindow) < -60.0 ? silentFor + kWindow : 0.0;
        longest = std::max(longest, silentFor);
    }
    EXPECT_LE(longest, 1.0);
}

TEST(Soundtrack, FollowsTheScriptsMoods)
{
    const std::vector<int16_t>& samples = Rendered(100.0);
    ASSERT_FALSE(samples.empty());
    // The intro is calm; the drums come in with the lightning.
    EXPECT_LT(LevelBetween(samples, 0.0, 25.2), LevelBetween(samples, 25.2, 37.5) - 3.0);
    // The climax under the plasma is the loudest stretch of the main part.
    EXPECT_GT(LevelBetween(samples, 68.7, 76.35), LevelBetween(samples, 38.0, 53.0));
    // The plasma alone is a breakdown, quieter than what comes before it.
    EXPECT_LT(LevelBetween(samples, 91.7, 99.35), LevelBetween(samples, 84.0, 91.7));
}

TEST(Soundtrack, KeepsPlayingTheFinalePastTheSongsEnd)
{
    Loaded loaded;
    ASSERT_NE(loaded.module, nullptr);
    const double songLength = openmpt_module_get_duration_seconds(loaded.module);
    const double finaleLength = songLength - openmpt_module_set_position_order_row(
                                                 loaded.module, static_cast<int32_t>(Field16(ReadBytes(DemoXm()), 66)), 0);
    ASSERT_GT(finaleLength, 5.0);

    // Three passes of the finale and a bit, at the rate the dialog offers
    // by default.
    constexpr int kLowRate = 22050;
    const double seconds = kFinaleStart + 3.0 * finaleLength + 1.0;
    const size_t frames = static_cast<size_t>(seconds * kLowRate);
    std::vector<int16_t> out(2 * frames);
    ModuleRenderer* r = OpenModuleRenderer(DemoXm(), kLowRate, false);
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(RenderModuleFrames(r, out.data(), frames), frames) << "the song never ends";
    EXPECT_NEAR(ModuleRendererPosition(r), seconds, 0.01);
    CloseModuleRenderer(r);

    // Every half second after the song's end sounds like the same half
    // second one finale earlier: the song went back to the finale, not to
    // the quiet intro.
    const auto level = [&](double from) {
        const size_t begin = 2 * static_cast<size_t>(from * kLowRate);
        return Decibels(RmsOf(out.data() + begin, kLowRate));  // half a second, both sides
    };
    for (double t = songLength; t + 0.5 < seconds; t += 0.5) {
        EXPECT_GT(level(t), -40.0) << "quiet at " << t << " s";
        EXPECT_NEAR(level(t), level(t - finaleLength), 1.5) << "at " << t << " s";
    }
}

TEST(Soundtrack, XmpLoadsItWithoutComplaint)
{
    if (std::system("command -v xmp >/dev/null 2>&1") != 0) GTEST_SKIP() << "xmp is not installed";
    const std::string command = std::string("xmp -v --load-only '") + DemoXm() + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_NE(output.find("XM 1.04"), std::string::npos) << output;
    for (const char* word : {"rror", "arning", "nrecognized", "corrupt"}) {
        EXPECT_EQ(output.find(word), std::string::npos) << output;
    }
}

TEST(Soundtrack, TheGeneratorWritesTheSameFileEveryTime)
{
    ScratchFolder scratch;
    const std::string out = scratch / "again.xm";
    const std::string command = std::string("'") + ZELVIK_MAKE_MUSIC + "' '" + out + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_TRUE(ReadBytes(out) == ReadBytes(DemoXm()));
    EXPECT_FALSE(std::filesystem::exists(out + ".part"));
    const std::string misuse = std::string("'") + ZELVIK_MAKE_MUSIC + "' 2>/dev/null";
    EXPECT_NE(std::system(misuse.c_str()), 0);
}
