#include "fuzz_input_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzzing {

namespace {

int InputFd = -1;
std::string InputPath;

[[noreturn]] void Fail(const char* what)
{
    std::perror(what);
    std::abort();
}

void OpenInputFile()
{
    InputFd = memfd_create("fuzz-input", MFD_CLOEXEC);
    if (InputFd >= 0) {
        InputPath = "/proc/self/fd/" + std::to_string(InputFd);
        if (access(InputPath.c_str(), R_OK) == 0) return;
        close(InputFd);
    }
    const char* folder = std::getenv("TMPDIR");
    std::string pattern = std::string(folder && *folder ? folder : "/tmp") + "/fuzz-input-XXXXXX";
    InputFd = mkstemp(pattern.data());
    if (InputFd < 0) Fail("fuzz input file");
    InputPath = pattern;
    std::atexit([] { unlink(InputPath.c_str()); });
}

}  // namespace

const char* InputAsFile(const uint8_t* data, size_t size)
{
    if (InputFd < 0) OpenInputFile();
    if (ftruncate(InputFd, 0) != 0) Fail("fuzz input file: truncate");
    size_t done = 0;
    while (done < size) {
        const ssize_t put = pwrite(InputFd, data + done, size - done, static_cast<off_t>(done));
        if (put <= 0) Fail("fuzz input file: write");
        done += static_cast<size_t>(put);
    }
    return InputPath.c_str();
}

}  // namespace fuzzing
