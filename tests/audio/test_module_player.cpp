// The player's call table on SDL's dummy output, and the offline renderer
// that shares its module set-up.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "audio_test_support.h"
#include "platform/audio/module_player.h"

using namespace zelvik;
using namespace audiotest;

namespace {

// Polls BASSMOD_MusicIsActive until it equals `wanted` or `milliseconds`
// have passed.
bool WaitUntilActiveIs(int wanted, int milliseconds = 2000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (BASSMOD_MusicIsActive() != wanted) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Loads a file and returns what was printed on stderr.
std::string LoadComplaint(const std::string& path, int* result, uint32_t offset = 0, uint32_t length = 0)
{
    testing::internal::CaptureStderr();
    *result = BASSMOD_MusicLoad(0, path.c_str(), offset, length, kShowModuleFlags);
    return testing::internal::GetCapturedStderr();
}

// Every test starts and ends with the player closed.
class ModulePlayer : public testing::Test {
protected:
    void TearDown() override { BASSMOD_Free(); }
    ScratchFolder scratch;
};

}  // namespace

TEST(ModulePlayerVersion, IsTheOneTheShowAccepts)
{
    EXPECT_EQ(BASSMOD_GetVersion(), 0x00070000u);
}

TEST_F(ModulePlayer, PlaysAtBothRatesInStereoAndMono)
{
    for (uint32_t rate : {22050u, 44100u}) {
        for (uint32_t flags : {0u, kPlayerMono}) {
            SCOPED_TRACE(testing::Message() << rate << " Hz, flags " << flags);
            ASSERT_NE(BASSMOD_Init(-1, rate, flags), 0);
            ASSERT_NE(BASSMOD_MusicLoad(0, DemoXm(), 0, 0, kShowModuleFlags), 0);
            ASSERT_NE(BASSMOD_MusicPlay(), 0);
            EXPECT_TRUE(WaitUntilActiveIs(1));
            BASSMOD_Free();
            EXPECT_EQ(BASSMOD_MusicIsActive(), 0);
        }
    }
}

TEST_F(ModulePlayer, OpensOneOutputOnlyAndOnlyWithSensibleSettings)
{
    ASSERT_NE(BASSMOD_Init(-1, 22050, 0), 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(BASSMOD_Init(-1, 44100, 0), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "no audio output: the player's output is open already\n");
    BASSMOD_Free();

    testing::internal::CaptureStderr();
    EXPECT_EQ(BASSMOD_Init(-1, 1000, 0), 0);
    EXPECT_EQ(BASSMOD_Init(-1, 400000, 0), 0);
    EXPECT_EQ(BASSMOD_Init(99, 44100, 0), 0);
    EXPECT_EQ(BASSMOD_Init(-2, 44100, 0), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "no audio output: unsupported rate 1000 Hz\n"
              "no audio output: unsupported rate 400000 Hz\n"
              "no audio output: there is no output device 99\n"
              "no audio output: there is no output device -2\n");

    // Device 0 is the first output SDL lists (the dummy driver has one).
    EXPECT_NE(BASSMOD_Init(0, 44100, 0), 0);
}

TEST_F(ModulePlayer, SaysWhyNoAudioOutputOpens)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    testing::internal::CaptureStderr();
    const int result = BASSMOD_Init(-1, 44100, 0);
    const std::string complaint = testing::internal::GetCapturedStderr();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(complaint.rfind("no audio output: ", 0), 0u) << complaint;
    EXPECT_GT(complaint.size(), std::string("no audio output: \n").size());
    EXPECT_EQ(complaint.find('\n'), complaint.size() - 1) << "one line";
    // The failure left nothing open: the next attempt works.
    EXPECT_NE(BASSMOD_Init(-1, 44100, 0), 0);
}

TEST_F(ModulePlayer, IsActiveOnlyWhilePlaying)
{
    ASSERT_NE(BASSMOD_Init(-1, 44100, 0), 0);
    EXPECT_EQ(BASSMOD_MusicIsActive(), 0);
    ASSERT_NE(BASSMOD_MusicLoad(0, DemoXm(), 0, 0, kShowModuleFlags), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(BASSMOD_MusicIsActive(), 0) << "loaded but not played";
    ASSERT_NE(BASSMOD_MusicPlay(), 0);
    ASSERT_TRUE(WaitUntilActiveIs(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(BASSMOD_MusicIsActive(), 1);
    BASSMOD_MusicFree();
    EXPECT_EQ(BASSMOD_MusicIsActive(), 0) << "inactive as soon as freed";
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(BASSMOD_MusicIsActive(), 0);
}

TEST_F(ModulePlayer, RefusesWhatIsNotAPlayableModuleWithOneLineSayingWhy)
{
    ASSERT_NE(BASSMOD_Init(-1, 22050, 0), 0);
    const std::vector<uint8_t> good = ReadBytes(DemoXm());
    ASSERT_GT(good.size(), 100000u);

    WriteBytes(scratch / "notes.txt", {'m', 'u', 's', 'i', 'c', '\n'});
    WriteBytes(scratch / "empty.xm", {});
    std::filesystem::create_directory(scratch / "folder.xm");
    struct Case {
        std::string path;
        std::string reason;
    };
    std::vector<Case> cases = {
        {scratch / "missing.xm", "not found"},
        {scratch / "folder.xm", "is a folder"},
        {scratch / "notes.txt", "not a module file"},
        {scratch / "empty.xm", "not a module file (empty)"},
    };
    // Cut inside the header's order table, after the header, inside the
    // patterns, inside the sample data and one byte before the end.
    for (size_t cut : {size_t{200}, size_t{336}, size_t{2000}, good.size() / 2, good.size() - 1}) {
        const std::string path = scratch / ("cut" + std::to_string(cut) + ".xm");
        WriteBytes(path, std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(cut)));
        cases.push_back({path, "module file is cut short"});
    }

    for (const Case& c : cases) {
        int result = -1;
        EXPECT_EQ(LoadComplaint(c.path, &result), c.path + ": " + c.reason + "\n");
        EXPECT_EQ(result, 0) << c.path;
    }
    int result = -1;
    EXPECT_EQ(LoadComplaint(DemoXm(), &result), "");
    EXPECT_NE(result, 0);
}

TEST_F(ModulePlayer, AFailedLoadKeepsTheLoadedModule)
{
    ASSERT_NE(BASSMOD_Init(-1, 44100, 0), 0);
    ASSERT_NE(BASSMOD_MusicLoad(0, DemoXm(), 0, 0, kShowModuleFlags), 0);
    int result = -1;
    LoadComplaint(scratch / "missing.xm", &result);
    EXPECT_EQ(result, 0);
    EXPECT_NE(BASSMOD_MusicPlay(), 0);
    EXPECT_TRUE(WaitUntilActiveIs(1));
}

TEST_F(ModulePlayer, LoadsFromMemoryAndFromPartOfAFile)
{
    ASSERT_NE(BASSMOD_Init(-1, 44100, kPlayerMono), 0);
    const std::vector<uint8_t> good = ReadBytes(DemoXm());
    const uint32_t size = static_cast<uint32_t>(good.size());
    EXPECT_NE(BASSMOD_MusicLoad(1, good.data(), 0, size, kShowModuleFlags), 0);

    // The module after 100 bytes of something else, followed by more.
    std::vector<uint8_t> wrapped(100 + good.size() + 50, 'y');
    std::fill_n(wrapped.begin(), 100, 'x');
    std::copy(good.begin(), good.end(), wrapped.begin() + 100);
    const std::string path = scratch / "bundle.dat";
    WriteBytes(path, wrapped);
    EXPECT_NE(BASSMOD_MusicLoad(0, path.c_str(), 100, size, kShowModuleFlags), 0);
    EXPECT_NE(BASSMOD_MusicLoad(1, wrapped.data(), 100, size, kShowModuleFlags), 0);
    EXPECT_NE(BASSMOD_MusicPlay(), 0);
    EXPECT_TRUE(WaitUntilActiveIs(1));

    int result = -1;
    const uint32_t total = static_cast<uint32_t>(wrapped.size());
    EXPECT_EQ(LoadComplaint(path, &result, total + 1, 0),
              path + ": offset " + std::to_string(total + 1) + " is past the end of the file (" +
                  std::to_string(total) + " bytes)\n");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(LoadComplaint(path, &result, 100, total),
              path + ": the file ends before offset + length (" + std::to_string(total) + " bytes)\n");
    EXPECT_EQ(result, 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(BASSMOD_MusicLoad(1, good.data(), 0, 0, kShowModuleFlags), 0);
    EXPECT_EQ(BASSMOD_MusicLoad(1, good.data(), 0, 1000, kShowModuleFlags), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "module in memory: not a module file (empty)\n"
              "module in memory: module file is cut short\n");
}

TEST_F(ModulePlayer, CallsOutOfOrderAreHarmless)
{
    // Nothing open: freeing is harmless, the rest refuses and says why.
    BASSMOD_MusicFree();
    BASSMOD_Free();
    EXPECT_EQ(BASSMOD_MusicIsActive(), 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(BASSMOD_MusicPlay(), 0);
    EXPECT_EQ(BASSMOD_MusicLoad(0, DemoXm(), 0, 0, kShowModuleFlags), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "music: the player has no audio output open\n" + std::string(DemoXm()) +
                  ": the player has no audio output open\n");

    // Open, nothing loaded.
    ASSERT_NE(BASSMOD_Init(-1, 22050, 0), 0);
    BASSMOD_MusicFree();
    BASSMOD_MusicFree();
    testing::internal::CaptureStderr();
    EXPECT_EQ(BASSMOD_MusicPlay(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "music: no module is loaded\n");
    EXPECT_EQ(BASSMOD_MusicIsActive(), 0);
    BASSMOD_Free();
    BASSMOD_Free();
}

TEST_F(ModulePlayer, ASongThatDoesNotLoopEndsAndCanBePlayedAgain)
{
    const std::string path = scratch / "tiny.xm";
    WriteBytes(path, TinyModule(4));  // 0.48 s
    ASSERT_NE(BASSMOD_Init(-1, 44100, 0), 0);
    ASSERT_NE(BASSMOD_MusicLoad(0, path.c_str(), 0, 0, kModuleRamp), 0);
    ASSERT_NE(BASSMOD_MusicPlay(), 0);
    ASSERT_TRUE(WaitUntilActiveIs(1));
    EXPECT_TRUE(WaitUntilActiveIs(0, 5000)) << "still active long after its end";
    ASSERT_NE(BASSMOD_MusicPlay(), 0);
    EXPECT_TRUE(WaitUntilActiveIs(1)) << "a second play starts it again";

    // With the loop flag the same song keeps playing.
    ASSERT_NE(BASSMOD_MusicLoad(0, path.c_str(), 0, 0, kShowModuleFlags), 0);
    ASSERT_NE(BASSMOD_MusicPlay(), 0);
    ASSERT_TRUE(WaitUntilActiveIs(1));
    EXPECT_FALSE(WaitUntilActiveIs(0, 1500));
}

// --- Offline rendering ---------------------------------------------------

TEST(ModuleRendererTest, LoopsForEverOrEndsAsItsFlagsSay)
{
    ScratchFolder scratch;
    const std::string path = scratch / "tiny.xm";
    WriteBytes(path, TinyModule(4));
    constexpr size_t kFrames = 44100 * 3;  // six times the song
    std::vector<int16_t> out(2 * kFrames, 1);

    ModuleRenderer* looping = OpenModuleRenderer(path.c_str(), 44100, false);
    ASSERT_NE(looping, nullptr);
    EXPECT_EQ(RenderModuleFrames(looping, out.data(), kFrames), kFrames);
    for (size_t w = 0; w < kFrames / 4410; ++w) {
        EXPECT_GT(Decibels(RmsOf(out.data() + 2 * 4410 * w, 2 * 4410)), -30.0) << "silent 0.1 s window " << w;
    }
    EXPECT_NEAR(ModuleRendererPosition(looping), 3.0, 0.01) << "every loop counts";
    CloseModuleRenderer(looping);

    ModuleRenderer* once = OpenModuleRenderer(path.c_str(), 44100, false, kModuleRamp);
    ASSERT_NE(once, nullptr);
    const size_t rendered = RenderModuleFrames(once, out.data(), kFrames);
    EXPECT_GT(rendered, 44100 * 48 / 100);
    EXPECT_LT(rendered, kFrames);
    for (size_t i = 2 * rendered; i < out.size(); ++i) ASSERT_EQ(out[i], 0) << "after the end";
    CloseModuleRenderer(once);
}

TEST(ModuleRendererTest, MonoIsTheMixOfBothSidesNotOneOfThem)
{
    // One tone hard left, another hard right.
    ScratchFolder scratch;
    const std::string path = scratch / "tiny.xm";
    WriteBytes(path, TinyModule(16));
    constexpr size_t kFrames = 22050;
    std::vector<int16_t> stereo(2 * kFrames), mono(kFrames);
    ModuleRenderer* s = OpenModuleRenderer(path.c_str(), 22050, false);
    ModuleRenderer* m = OpenModuleRenderer(path.c_str(), 22050, true);
    ASSERT_TRUE(s && m);
    RenderModuleFrames(s, stereo.data(), kFrames);
    RenderModuleFrames(m, mono.data(), kFrames);
    CloseModuleRenderer(s);
    CloseModuleRenderer(m);

    std::vector<int16_t> left(kFrames), right(kFrames);
    double offAverage = 0.0, offLeft = 0.0, offRight = 0.0;
    for (size_t i = 0; i < kFrames; ++i) {
        left[i] = stereo[2 * i];
        right[i] = stereo[2 * i + 1];
        const double average = (left[i] + right[i]) / 2.0;
        offAverage += (mono[i] - average) * (mono[i] - average);
        offLeft += (mono[i] - left[i]) * static_cast<double>(mono[i] - left[i]);
        offRight += (mono[i] - right[i]) * static_cast<double>(mono[i] - right[i]);
    }
    const double level = RmsOf(mono.data(), kFrames);
    ASSERT_GT(Decibels(level), -30.0);
    ASSERT_GT(Decibels(RmsOf(left.data(), kFrames)), -30.0);
    ASSERT_GT(Decibels(RmsOf(right.data(), kFrames)), -30.0);
    EXPECT_LT(std::sqrt(offAverage / kFrames), 0.01 * level) << "mono is (left + right) / 2";
    EXPECT_GT(std::sqrt(offLeft / kFrames), 0.5 * level) << "mono is not the left side";
    EXPECT_GT(std::sqrt(offRight / kFrames), 0.5 * level) << "mono is not the right side";
}

TEST(ModuleRendererTest, RendersTheSameSamplesEveryTimeAndRefusesBadInput)
{
    constexpr size_t kFrames = 44100 * 2;
    std::vector<int16_t> first(2 * kFrames), second(2 * kFrames);
    for (std::vector<int16_t>* out : {&first, &second}) {
        ModuleRenderer* r = OpenModuleRenderer(DemoXm(), 44100, false);
        ASSERT_NE(r, nullptr);
        ASSERT_EQ(RenderModuleFrames(r, out->data(), kFrames), kFrames);
        CloseModuleRenderer(r);
    }
    EXPECT_TRUE(first == second);

    ScratchFolder scratch;
    testing::internal::CaptureStderr();
    EXPECT_EQ(OpenModuleRenderer((scratch / "missing.xm").c_str(), 44100, false), nullptr);
    EXPECT_EQ(OpenModuleRenderer(DemoXm(), 0, false), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              scratch / "missing.xm" + ": not found\n" + DemoXm() + ": cannot render at 0 Hz\n");
    CloseModuleRenderer(nullptr);
}
