#include "posix_test_compat.h"

#include <direct.h>
#include <io.h>

#include <cerrno>
#include <cstring>

extern "C" char* mkdtemp(char* pattern)
{
    const size_t length = std::strlen(pattern);
    if (length < 6 || std::strcmp(pattern + length - 6, "XXXXXX") != 0) {
        errno = EINVAL;
        return nullptr;
    }
    // _mktemp_s picks a name free at the time of the call; a folder made in
    // between by someone else makes _mkdir fail, and another name is tried.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::memcpy(pattern + length - 6, "XXXXXX", 6);
        if (_mktemp_s(pattern, length + 1) != 0) return nullptr;
        if (_mkdir(pattern) == 0) return pattern;
        if (errno != EEXIST) return nullptr;
    }
    errno = EEXIST;
    return nullptr;
}
