#include "shared/whole_file.h"

#include <cerrno>
#include <cstring>

namespace zelvik {

std::string WriteFileVia(const std::string& path, const std::function<std::string(FILE*)>& write)
{
    const std::string temporary = path + ".part";
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) return std::strerror(errno);
    const std::string failure = write(file);
    if (!failure.empty()) {
        std::fclose(file);
        std::remove(temporary.c_str());
        return failure;
    }
    // A write error may show only when the buffered rest goes out.
    const bool flushed = std::fflush(file) == 0;
    const int flushErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!flushed || !closed) {
        const std::string reason = std::strerror(flushed ? errno : flushErrno);
        std::remove(temporary.c_str());
        return reason;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        std::remove(temporary.c_str());
        return reason;
    }
    return {};
}

std::string WriteWholeFile(const std::string& path, const void* data, size_t size)
{
    return WriteFileVia(path, [&](FILE* file) -> std::string {
        if (std::fwrite(data, 1, size, file) == size) return {};
        return std::strerror(errno);
    });
}

}  // namespace zelvik
