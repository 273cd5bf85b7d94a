// The running executable's path from /proc/self/exe, which the kernel keeps
// pointing at the real file whichever link or folder the program was
// started through.
#include "platform/files/executable_path.h"

#include <unistd.h>

#include <vector>

#include "platform/files/data_files.h"

namespace zelvik {

std::string ExecutablePath()
{
    // readlink does not say whether it cut the name short: a result that
    // fills the buffer is retried with a larger one.
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) return {};
        if (static_cast<size_t>(length) < buffer.size()) return std::string(buffer.data(), static_cast<size_t>(length));
        if (buffer.size() >= (1u << 16)) return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::string DataFolderFor(const std::string& executable) { return DataFolderBeside(executable); }

}  // namespace zelvik
