// Finding the data files: the working folder first, then the installed
// data folder; one line naming both places when neither has the file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/files/data_files.h"
#include "platform/files/executable_path.h"

namespace fs = std::filesystem;
using zelvik::DataFolderBeside;
using zelvik::FindDataFileIn;

namespace {

// A scratch folder holding "work" (made the working folder for the test)
// and "prefix/share/zelvik"; the previous working folder is restored.
class DataFiles : public testing::Test {
protected:
    void SetUp() override
    {
        previous = fs::current_path();
        root = fs::temp_directory_path() / ("zelvik-data-files-" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "work");
        fs::create_directories(installed());
        fs::current_path(root / "work");
    }
    void TearDown() override
    {
        fs::current_path(previous);
        fs::remove_all(root);
    }
    fs::path installed() const { return root / "prefix" / "share" / "zelvik"; }
    static void Touch(const fs::path& path) { std::ofstream(path) << "x"; }

    fs::path previous;
    fs::path root;
};

TEST_F(DataFiles, WorkingFolderFirstThenInstalledFolder)
{
    Touch(installed() / "scene1.bmp");
    EXPECT_EQ(FindDataFileIn("scene1.bmp", installed().string()), (installed() / "scene1.bmp").string());

    Touch(root / "work" / "scene1.bmp");
    EXPECT_EQ(FindDataFileIn("scene1.bmp", installed().string()), "scene1.bmp");
}

TEST_F(DataFiles, AnythingByThatNameInTheWorkingFolderWins)
{
    // Its loader says what is wrong with it; the installed file does not
    // silently stand in.
    Touch(installed() / "demo.xm");
    fs::create_directory(root / "work" / "demo.xm");
    EXPECT_EQ(FindDataFileIn("demo.xm", installed().string()), "demo.xm");
    fs::remove(root / "work" / "demo.xm");
    fs::create_symlink(root / "nowhere", root / "work" / "demo.xm");  // dangling: not there
    EXPECT_EQ(FindDataFileIn("demo.xm", installed().string()), (installed() / "demo.xm").string());
}

TEST_F(DataFiles, FoundNowhereSaysBothPlacesInOneLine)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(FindDataFileIn("demo.xm", installed().string()), "");
    const std::string expected =
        "demo.xm: not found in " + fs::canonical(root / "work").string() + " or in " + installed().string() + "\n";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), expected);

    testing::internal::CaptureStderr();
    EXPECT_EQ(FindDataFileIn("demo.xm", ""), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "demo.xm: not found in " + fs::canonical(root / "work").string() +
                  " (the installed data folder is unknown)\n");
}

TEST_F(DataFiles, FoundFilesSayNothing)
{
    Touch(installed() / "scene1.bmp");
    Touch(root / "work" / "demo.xm");
    testing::internal::CaptureStderr();
    FindDataFileIn("scene1.bmp", installed().string());
    FindDataFileIn("demo.xm", installed().string());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(DataFolder, BesideTheExecutablesFolder)
{
    EXPECT_EQ(DataFolderBeside("/usr/bin/zelvik"), "/usr/share/zelvik");
    EXPECT_EQ(DataFolderBeside("/usr/games/zelvik"), "/usr/share/zelvik");
    EXPECT_EQ(DataFolderBeside("/home/a/.local/bin/zelvik-capture"), "/home/a/.local/share/zelvik");
    EXPECT_EQ(DataFolderBeside(""), "");
}

TEST(DataFolder, ExecutablePathIsThisTest)
{
    const std::string path = zelvik::ExecutablePath();
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(fs::path(path).is_absolute());
    EXPECT_TRUE(fs::equivalent(path, "/proc/self/exe"));
}

}  // namespace
