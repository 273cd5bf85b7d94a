// The small data-file layer the show reads its files through: one
// module-level handle, one file at a time, shaped like the system's own
// open/read/close calls. Each platform has its own implementation file.
#pragma once

#include <cstdint>

namespace zelvik {

// Why the latest OpenDataFile failed.
enum class DataFileError {
    None,
    NotFound,
    PermissionDenied,
    IsFolder,
    NotRegularFile,  // a pipe or device: reading it might block for ever
    Other,           // DataFileErrorText() says what
};

// Opens a regular file for reading; 0 ok, -1 failure (DataFileOpenError()).
int32_t OpenDataFile(const char* path);
// Reads until `count` bytes have arrived or the file ends; `*bytesRead`
// says how many came (fewer than asked only at the end). Non-zero on
// success; 0 on an I/O error.
int32_t ReadDataFile(void* buffer, uint32_t count, uint32_t* bytesRead);
// Non-zero when a handle was open and closed cleanly.
int32_t CloseDataFile();
bool DataFileIsOpen();  // for tests

DataFileError DataFileOpenError();
// The system's own words for an Other failure.
const char* DataFileErrorText();

// Back to the state of program start (closes any open handle).
void ZeroDataFileState();

}  // namespace zelvik
