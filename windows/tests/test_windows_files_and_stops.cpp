// The Windows data-file layer and stop requests: what the POSIX tests cover
// with pipes, permissions and signals, checked with their Windows forms
// (named pipes, devices, binary reads, console control events).
#include <gtest/gtest.h>

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "canvas/canvas.h"
#include "canvas/sheet_file.h"
#include "canvas/sprites.h"
#include "driver/data_file.h"
#include "driver/stop_signals.h"

using namespace zelvik;

namespace {

class WindowsDataFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZeroCanvasState();
        ZeroSpriteState();
        ZeroSheetFileState();
        dir = std::filesystem::temp_directory_path() /
              ("zelvik_files_" + std::to_string(GetCurrentProcessId()));
        std::filesystem::create_directories(dir);
        destination.assign(64000, 0x11);
    }
    void TearDown() override
    {
        CloseDataFile();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        const std::string path = (dir / name).string();
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    // Loads and returns what went to stderr; a rejected file must leave
    // the destination alone and the handle closed.
    std::string ExpectRejected(const std::string& path)
    {
        ::testing::internal::CaptureStderr();
        LoadSpriteSheet(path.c_str(), destination.data(), 1);
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(destination, std::vector<uint8_t>(64000, 0x11)) << path;
        EXPECT_FALSE(DataFileIsOpen()) << path;
        return said;
    }
    std::filesystem::path dir;
    std::vector<uint8_t> destination;
};

TEST_F(WindowsDataFileTest, ReadsBytesExactlyWithoutTextTranslation)
{
    // Carriage returns, line feeds and Ctrl+Z must come through untouched:
    // a file opened in text mode would drop or end on them.
    const std::vector<uint8_t> bytes = {'\r', '\n', 0x1A, '\n', '\r', 0, 0xFF, 0x1A, 7};
    const std::string path = Write("binary.bin", bytes);
    ASSERT_EQ(OpenDataFile(path.c_str()), 0);
    std::vector<uint8_t> got(bytes.size() + 3, 0x55);
    uint32_t count = 0;
    EXPECT_NE(ReadDataFile(got.data(), static_cast<uint32_t>(got.size()), &count), 0);
    EXPECT_EQ(count, bytes.size());
    EXPECT_EQ(std::vector<uint8_t>(got.begin(), got.begin() + 9), bytes);
    // Past the end the buffer keeps what it held.
    EXPECT_EQ(got[9], 0x55);
    EXPECT_EQ(CloseDataFile(), 1);
    EXPECT_EQ(CloseDataFile(), 0);
}

TEST_F(WindowsDataFileTest, WhatCannotBeOpenedIsReportedByName)
{
    const std::string absent = (dir / "absent.bmp").string();
    EXPECT_EQ(ExpectRejected(absent), absent + ": not found\n");
    const std::string deeper = (dir / "absent" / "deeper.bmp").string();
    EXPECT_EQ(ExpectRejected(deeper), deeper + ": not found\n");
    EXPECT_EQ(ExpectRejected(dir.string()), dir.string() + ": is a folder\n");
    // A device is not a file on disk: reading the console could wait forever.
    EXPECT_EQ(ExpectRejected("NUL"), "NUL: not a regular file\n");
}

TEST_F(WindowsDataFileTest, NamedPipeIsRefusedWithoutWaiting)
{
    const std::string name =
        "\\\\.\\pipe\\zelvik_sheet_" + std::to_string(GetCurrentProcessId());
    const HANDLE server = CreateNamedPipeA(name.c_str(), PIPE_ACCESS_OUTBOUND,
                                           PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ExpectRejected(name), name + ": not a regular file\n");
    CloseHandle(server);
}

TEST_F(WindowsDataFileTest, FileHeldOpenForWritingCanStillBeRead)
{
    // Another program writing the sheet must not make it unreadable.
    const std::string path = Write("held.bin", {1, 2, 3});
    const HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenDataFile(path.c_str()), 0);
    uint8_t got[3] = {};
    uint32_t count = 0;
    EXPECT_NE(ReadDataFile(got, 3, &count), 0);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(got[2], 3);
    CloseHandle(writer);
}

TEST(WindowsStopRequests, CtrlCIsRecordedAsSigint)
{
    ClearStopSignal();
    InstallStopSignalHandlers(/*keepIgnored=*/true, /*secondEndsProcess=*/false);
    // The event is sent to the processes of this console; without one
    // (output to a pipe) the process is given one of its own.
    SetConsoleCtrlHandler(nullptr, FALSE);  // Ctrl+C handling switched on
    if (!GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) {
        FreeConsole();
        AllocConsole();
        SetConsoleCtrlHandler(nullptr, FALSE);
        if (!GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0))
            GTEST_SKIP() << "no console to send Ctrl+C through (error " << GetLastError() << ")";
    }
    // The handler runs on a thread of the system's making.
    for (int waited = 0; waited < 2000 && StopSignalReceived() == 0; waited += 10) Sleep(10);
    EXPECT_EQ(StopSignalReceived(), SIGINT);
    EXPECT_STREQ(StopSignalName(StopSignalReceived()), "Ctrl+C");
    ClearStopSignal();
    EXPECT_EQ(StopSignalReceived(), 0);
}

}  // namespace
