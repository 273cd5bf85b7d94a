// The running executable's path from GetModuleFileNameA, which names the
// file the process was started from.
#include "platform/files/executable_path.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <vector>

namespace zelvik {

std::string ExecutablePath()
{
    // A name that fills the buffer was cut short: retry with a larger one.
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return std::string(buffer.data(), length);
        if (buffer.size() >= (1u << 16)) return {};
        buffer.resize(buffer.size() * 2);
    }
}

// The folder is cut from the path as it is: std::filesystem would read the
// UTF-8 name through another code page and spell a non-ASCII folder wrongly.
std::string DataFolderFor(const std::string& executable)
{
    const size_t slash = executable.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : executable.substr(0, slash);
}

}  // namespace zelvik
