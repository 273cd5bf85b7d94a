// The module file beside the show replaced by every kind of unusable file:
// the player refuses each at once (no hang, no huge read), says why in one
// line naming the file, and stays usable for the real module afterwards.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "audio_test_support.h"
#include "platform/audio/module_player.h"

using namespace zelvik;
using namespace audiotest;

namespace {

class BadModuleFiles : public testing::Test {
protected:
    void SetUp() override { ASSERT_NE(BASSMOD_Init(-1, 22050, kPlayerMono), 0); }
    void TearDown() override { BASSMOD_Free(); }

    // Loads `path` as the show does and expects the refusal "path: reason".
    void ExpectRefused(const std::string& path, const std::string& reason)
    {
        SCOPED_TRACE(path);
        testing::internal::CaptureStderr();
        const int result = BASSMOD_MusicLoad(0, path.c_str(), 0, 0, kShowModuleFlags);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(result, 0);
        EXPECT_EQ(said, path + ": " + reason + "\n");
        testing::internal::CaptureStderr();
        EXPECT_EQ(BASSMOD_MusicPlay(), 0) << "nothing may be left loaded";
        testing::internal::GetCapturedStderr();
    }

    // A file of `size` bytes that takes no disk space: `prefix`, then zeros.
    std::string Sparse(const std::string& name, const std::vector<uint8_t>& prefix, off_t size)
    {
        const std::string path = scratch / name;
        WriteBytes(path, prefix);
        EXPECT_EQ(truncate(path.c_str(), size), 0) << std::strerror(errno);
        return path;
    }

    ScratchFolder scratch;
};

}  // namespace

TEST_F(BadModuleFiles, AreRefusedInOneLineWithoutReadingThem)
{
    const std::vector<uint8_t> good = ReadBytes(DemoXm());
    ASSERT_FALSE(good.empty());

    // Other formats: a bitmap and a PNG where the module should be.
    std::vector<uint8_t> bitmap(65078, 0);
    bitmap[0] = 'B';
    bitmap[1] = 'M';
    WriteBytes(scratch / "picture.xm", bitmap);
    WriteBytes(scratch / "image.xm", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13});
    ExpectRefused(scratch / "picture.xm", "not a module file");
    ExpectRefused(scratch / "image.xm", "not a module file");

    // 200 MB, sparse: refused from its size, before any read. With the real
    // module at its start it is refused all the same.
    ExpectRefused(Sparse("huge.xm", {}, off_t{200} << 20), "too large for a module file");
    ExpectRefused(Sparse("huge-tail.xm", good, off_t{200} << 20), "too large for a module file");

    // Things that are not files: a pipe without a writer (which must not
    // block the show), a device that never ends, a folder, a symlink loop,
    // a path through a file.
    ASSERT_EQ(mkfifo((scratch / "pipe.xm").c_str(), 0600), 0);
    ExpectRefused(scratch / "pipe.xm", "not a regular file");
    ExpectRefused("/dev/zero", "not a regular file");
    std::filesystem::create_directory(scratch / "folder.xm");
    ExpectRefused(scratch / "folder.xm", "is a folder");
    std::filesystem::create_symlink("loop.xm", scratch / "loop.xm");
    ExpectRefused(scratch / "loop.xm", "cannot be read: Too many levels of symbolic links");
    WriteBytes(scratch / "plain", {1});
    ExpectRefused(scratch / "plain/demo.xm", "not found");

    // After all that, the real module loads and plays.
    ASSERT_NE(BASSMOD_MusicLoad(0, DemoXm(), 0, 0, kShowModuleFlags), 0);
    ASSERT_NE(BASSMOD_MusicPlay(), 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!BASSMOD_MusicIsActive() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_NE(BASSMOD_MusicIsActive(), 0);
}

// A file without read permission. Root reads anything, so as root the load
// runs in a child process that has become the unprivileged user nobody;
// its stderr goes to a file opened before it gives up its rights.
TEST_F(BadModuleFiles, WithoutReadPermissionIsRefused)
{
    const std::string path = scratch / "locked.xm";
    const std::string said = scratch / "said.txt";
    WriteBytes(path, ReadBytes(DemoXm()));
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    ASSERT_EQ(chmod(scratch.path().c_str(), 0755), 0);

    std::fflush(stderr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        const int out = open(said.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || dup2(out, STDERR_FILENO) < 0) std::_Exit(3);
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setresgid(kNobody, kNobody, kNobody) != 0 ||
                               setresuid(kNobody, kNobody, kNobody) != 0))
            std::_Exit(4);
        // Only the file checks run here: the refusal comes before the
        // player's audio output is touched.
        const int result = BASSMOD_MusicLoad(0, path.c_str(), 0, 0, kShowModuleFlags);
        std::fflush(stderr);
        std::_Exit(result == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "3, 4: the child could not set itself up; 1: the file loaded";
    const std::vector<uint8_t> text = ReadBytes(said);
    EXPECT_EQ(std::string(text.begin(), text.end()), path + ": cannot be read: Permission denied\n");
}
