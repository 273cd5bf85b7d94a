// Messages on Windows. The program is built for the GUI subsystem: a
// double-click gives it no console window (one would stay open beside the
// show, and closing it would end the show), but also no stderr. So:
//
// - Started from a console (cmd, PowerShell), it attaches to that console
//   and writes its lines there as they come. Attached, Ctrl+C in that
//   console reaches the program's stop handler (driver/stop_signals_win32)
//   and ends the show like Escape. A stream the program was given already
//   (a redirect such as 2>log.txt) is written to instead.
// - Text for a console is written as UTF-16, so that a folder name shows as
//   it is whatever code page the console uses; a file or pipe gets the
//   UTF-8 bytes through the C runtime, as before.
// - Every line is also kept for a message box titled with the program's
//   name. When an error stops the program, the box shows the run's lines,
//   the last of which says what stopped it. Warnings, after which the show
//   went on (a data file missing, the sound output lost), are shown in one
//   box when the program ends, and only when no console or file took them:
//   a box during the show would take the focus from its full-screen window,
//   which minimises it, and stop the show for something it plays on
//   without; at the end the person is back on the desktop.
#include "platform/process/messages.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "driver/report.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace zelvik {

namespace {

const char* Title = "";

// Where the lines (error) and the help (output) go: a console, written as
// UTF-16; else the C runtime's stream, when the program was given a file or
// pipe for it; else nowhere but the message box.
struct Stream {
    HANDLE console = INVALID_HANDLE_VALUE;  // a console to write to
    bool open = false;                      // whether the stream goes anywhere
    FILE* runtime = nullptr;                // stderr or stdout
};
Stream Error;
Stream Output;

// The run's lines for the message box, the message text alone: the first
// ones as long as they fit, then the last one. Fixed storage, under a lock:
// any thread may report at any time.
SRWLOCK KeptLock = SRWLOCK_INIT;
char Kept[4096];
size_t KeptUsed;
unsigned LinesKept;
unsigned LinesLeftOut;
char LastLeftOut[1024];

std::wstring Wide(const char* text, size_t length)
{
    const int count = MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(count, 0)), L'\0');
    if (count > 0) MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(length), wide.data(), count);
    return wide;
}

void Write(const Stream& stream, const char* text, size_t length)
{
    if (stream.console != INVALID_HANDLE_VALUE) {
        const std::wstring wide = Wide(text, length);
        DWORD written = 0;
        WriteConsoleW(stream.console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else if (stream.open) {
        std::fwrite(text, 1, length, stream.runtime);
        std::fflush(stream.runtime);
    }
}

void ShowBox(const std::string& text, UINT icon)
{
    MessageBoxW(nullptr, Wide(text.data(), text.size()).c_str(), Wide(Title, std::strlen(Title)).c_str(),
                MB_OK | MB_SETFOREGROUND | icon);
}

void Keep(const char* message, size_t length)
{
    AcquireSRWLockExclusive(&KeptLock);
    if (LinesLeftOut == 0 && KeptUsed + length + 1 <= sizeof Kept) {
        std::memcpy(Kept + KeptUsed, message, length);
        KeptUsed += length;
        Kept[KeptUsed++] = '\n';
        ++LinesKept;
    } else {
        ++LinesLeftOut;
        length = std::min(length, sizeof LastLeftOut - 1);
        std::memcpy(LastLeftOut, message, length);
        LastLeftOut[length] = '\0';
    }
    ReleaseSRWLockExclusive(&KeptLock);
}

void WriteLine(const char* line, size_t length, size_t messageStart)
{
    Write(Error, line, length);
    // The box's title names the program: its text is the message alone.
    size_t end = length;
    while (end > messageStart && (line[end - 1] == '\n' || line[end - 1] == '\r')) --end;
    Keep(line + messageStart, end - messageStart);
}

// The stream `id` as the program was given it, else the console: a
// stream of its own (a redirect, or a console handed down) is kept; one
// it lacks is the console's, if there is one, and the C runtime's stream
// is opened on that console too, for whatever else writes there.
Stream Connect(DWORD id, FILE* runtime, HANDLE console)
{
    Stream stream;
    stream.runtime = runtime;
    const HANDLE handle = GetStdHandle(id);
    DWORD mode = 0;
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN) {
        stream.open = true;
        if (GetConsoleMode(handle, &mode)) stream.console = handle;
    } else if (console != INVALID_HANDLE_VALUE) {
        stream.open = true;
        stream.console = console;
        std::freopen("CONOUT$", "w", runtime);
    }
    return stream;
}

}  // namespace

void StartMessageOutput(const char* title)
{
    Title = title != nullptr ? title : "";
    // A process that has a console already (one handed down, as Wine does)
    // is refused with ERROR_ACCESS_DENIED, and keeps it.
    HANDLE console = INVALID_HANDLE_VALUE;
    if (AttachConsole(ATTACH_PARENT_PROCESS) || GetLastError() == ERROR_ACCESS_DENIED)
        console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    Error = Connect(STD_ERROR_HANDLE, stderr, console);
    Output = Connect(STD_OUTPUT_HANDLE, stdout, console);
    SetReportWriter(WriteLine);
}

void WriteStandardOutput(const char* text)
{
    if (Output.open) Write(Output, text, std::strlen(text));
    else ShowBox(text, MB_ICONINFORMATION);
}

int FinishMessageOutput(int status)
{
    AcquireSRWLockExclusive(&KeptLock);
    const bool any = LinesKept + LinesLeftOut > 0;
    std::string text(Kept, KeptUsed);
    if (LinesLeftOut > 1) {
        char more[64];
        std::snprintf(more, sizeof more, "(%u more lines)\n", LinesLeftOut - 1);
        text += more;
    }
    if (LinesLeftOut > 0) text.append(LastLeftOut).push_back('\n');
    ReleaseSRWLockExclusive(&KeptLock);
    if (!text.empty()) text.pop_back();

    if (any && (status != 0 || !Error.open)) ShowBox(text, status != 0 ? MB_ICONERROR : MB_ICONWARNING);
    return status;
}

}  // namespace zelvik
