// Data-file layer on POSIX calls: Linux, and a web page, whose files lie in
// its runtime's POSIX file system.
#include "driver/data_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zelvik {

static int DataFileHandle = -1;
static DataFileError OpenError;
static int OpenErrno;

int32_t OpenDataFile(const char* path)
{
    // Only one file is open at a time; a stray earlier handle is let go
    // rather than leaked.
    if (DataFileHandle >= 0) CloseDataFile();
    OpenError = DataFileError::None;

    // O_NONBLOCK keeps the open itself from waiting on a pipe with no
    // writer; regular files ignore the flag.
    const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    struct stat info;
    const bool opened = fd >= 0;
    if (!opened || fstat(fd, &info) != 0) {
        OpenErrno = errno;
        switch (OpenErrno) {
        case ENOENT:
        case ENOTDIR: OpenError = DataFileError::NotFound; break;
        case EACCES:
        case EPERM: OpenError = DataFileError::PermissionDenied; break;
        case EISDIR: OpenError = DataFileError::IsFolder; break;
        default: OpenError = DataFileError::Other; break;
        }
        if (opened) close(fd);
        return -1;
    }
    if (!S_ISREG(info.st_mode)) {
        OpenError = S_ISDIR(info.st_mode) ? DataFileError::IsFolder : DataFileError::NotRegularFile;
        close(fd);
        return -1;
    }
    DataFileHandle = fd;
    return 0;
}

int32_t ReadDataFile(void* buffer, uint32_t count, uint32_t* bytesRead)
{
    *bytesRead = 0;
    if (DataFileHandle < 0) return 0;
    auto* out = static_cast<uint8_t*>(buffer);
    uint32_t done = 0;
    while (done < count) {
        const ssize_t got = read(DataFileHandle, out + done, count - done);
        if (got < 0) {
            if (errno == EINTR) continue;
            return 0;
        }
        if (got == 0) break;
        done += static_cast<uint32_t>(got);
        *bytesRead = done;
    }
    return 1;
}

int32_t CloseDataFile()
{
    if (DataFileHandle < 0) return 0;
    const int result = close(DataFileHandle);
    DataFileHandle = -1;
    return result == 0 ? 1 : 0;
}

bool DataFileIsOpen() { return DataFileHandle >= 0; }
DataFileError DataFileOpenError() { return OpenError; }
const char* DataFileErrorText() { return std::strerror(OpenErrno); }

void ZeroDataFileState()
{
    CloseDataFile();
    OpenError = DataFileError::None;
    OpenErrno = 0;
}

}  // namespace zelvik
