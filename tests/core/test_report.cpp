#include <gtest/gtest.h>

#include <string>

#include "driver/report.h"

using namespace zelvik;

namespace {

std::string Said(const char* prefix, const char* format, const char* argument)
{
    SetReportPrefix(prefix);
    ::testing::internal::CaptureStderr();
    Report(format, argument);
    const std::string said = ::testing::internal::GetCapturedStderr();
    SetReportPrefix(nullptr);
    return said;
}

TEST(Report, EveryLineStartsWithTheProgramsNameAndEndsOnce)
{
    EXPECT_EQ(Said("zelvik", "%s: not found", "scene1.bmp"), "zelvik: scene1.bmp: not found\n");
    EXPECT_EQ(Said("zelvik-capture", "%s", "x"), "zelvik-capture: x\n");
    // No name set: the line alone (the unit tests match such lines).
    EXPECT_EQ(Said(nullptr, "%s", "plain"), "plain\n");
    EXPECT_EQ(Said("", "%s", "plain"), "plain\n");
    // Another library's message with its own line ends gets one line end.
    EXPECT_EQ(Said("zelvik", "%s", "WARNING: disk audio\n\n"), "zelvik: WARNING: disk audio\n");
    // An over-long message is cut, but still one whole line.
    const std::string longText(5000, 'a');
    const std::string said = Said("zelvik", "%s", longText.c_str());
    EXPECT_EQ(said.rfind("zelvik: aaa", 0), 0u);
    EXPECT_EQ(said.back(), '\n');
    EXPECT_EQ(said.find('\n'), said.size() - 1);
    EXPECT_LT(said.size(), 1100u);
    // A progress line goes back to the start of the line and does not end it.
    SetReportPrefix("zelvik-capture");
    ::testing::internal::CaptureStderr();
    ReportProgress("frame %d of %d", 3, 9);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "\rzelvik-capture: frame 3 of 9");
    SetReportPrefix(nullptr);
}

}  // namespace
