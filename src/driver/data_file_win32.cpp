// Data-file layer on Win32: one handle, one file at a time. The same
// contract as the POSIX layer: a missing path, a folder, and anything that
// is not a file on disk (a pipe, a console, a device) fail at open, with the
// reason kept for the loader's message; reads fill the buffer until the
// count or the end of the file.
#include "driver/data_file.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>

namespace zelvik {

static HANDLE DataFileHandle = INVALID_HANDLE_VALUE;
static DataFileError OpenError;
static DWORD OpenSystemError;

static DataFileError ErrorFromWin32(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_DRIVE: return DataFileError::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return DataFileError::PermissionDenied;
    default: return DataFileError::Other;
    }
}

int32_t OpenDataFile(const char* path)
{
    // Only one file is open at a time; a stray earlier handle is let go
    // rather than leaked.
    if (DataFileHandle != INVALID_HANDLE_VALUE) CloseDataFile();
    OpenError = DataFileError::None;

    // A folder cannot be opened as a file; the attributes tell it apart
    // from a file that is merely locked.
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        OpenError = DataFileError::IsFolder;
        return -1;
    }
    // Opening a named pipe with no server fails at once rather than
    // waiting, so only the type check below is needed for pipes.
    const HANDLE handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        OpenSystemError = GetLastError();
        OpenError = ErrorFromWin32(OpenSystemError);
        return -1;
    }
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        OpenError = DataFileError::NotRegularFile;
        CloseHandle(handle);
        return -1;
    }
    DataFileHandle = handle;
    return 0;
}

int32_t ReadDataFile(void* buffer, uint32_t count, uint32_t* bytesRead)
{
    *bytesRead = 0;
    if (DataFileHandle == INVALID_HANDLE_VALUE) return 0;
    auto* out = static_cast<uint8_t*>(buffer);
    uint32_t done = 0;
    while (done < count) {
        DWORD got = 0;
        if (!ReadFile(DataFileHandle, out + done, count - done, &got, nullptr)) return 0;
        if (got == 0) break;
        done += got;
        *bytesRead = done;
    }
    return 1;
}

int32_t CloseDataFile()
{
    if (DataFileHandle == INVALID_HANDLE_VALUE) return 0;
    const BOOL closed = CloseHandle(DataFileHandle);
    DataFileHandle = INVALID_HANDLE_VALUE;
    return closed ? 1 : 0;
}

bool DataFileIsOpen() { return DataFileHandle != INVALID_HANDLE_VALUE; }
DataFileError DataFileOpenError() { return OpenError; }

const char* DataFileErrorText()
{
    // The system's message for the error, without its line break; kept in
    // a buffer of our own so the pointer stays valid until the next call.
    static char text[256];
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       OpenSystemError, 0, text, sizeof text, nullptr);
    if (length == 0) {
        std::snprintf(text, sizeof text, "system error %lu", static_cast<unsigned long>(OpenSystemError));
        return text;
    }
    DWORD end = length;
    while (end > 0 && (text[end - 1] == '\r' || text[end - 1] == '\n' || text[end - 1] == ' ' ||
                       text[end - 1] == '.'))
        --end;
    text[end] = '\0';
    return text;
}

void ZeroDataFileState()
{
    CloseDataFile();
    OpenError = DataFileError::None;
    OpenSystemError = 0;
}

}  // namespace zelvik
