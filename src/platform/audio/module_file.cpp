// Reading a module file and checking that it is whole, before libopenmpt
// sees it: the file checks of the live player and the offline renderer.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "driver/report.h"
#include "platform/audio/module_decoder.h"

namespace zelvik {

namespace {

// No module worth playing comes near this; a larger file is refused rather
// than read into memory whole.
constexpr uint64_t kLargestModule = 128u << 20;

uint32_t Read16(const uint8_t* p)
{
    return p[0] | (p[1] << 8);
}

uint32_t Read32(const uint8_t* p)
{
    return Read16(p) | (Read16(p + 2) << 16);
}

}  // namespace

// Only the common layout of version 0x0104 is checked; anything it cannot
// follow is left to libopenmpt.
bool IsCutShortXm(const uint8_t* data, size_t size)
{
    if (size < 80 || std::memcmp(data, "Extended Module: ", 17) != 0) return false;
    if (Read16(data + 58) != 0x0104) return false;
    uint64_t pos = 60 + static_cast<uint64_t>(Read32(data + 60));
    if (pos > size) return true;
    const uint32_t patterns = Read16(data + 70);
    const uint32_t instruments = Read16(data + 72);
    for (uint32_t p = 0; p < patterns; ++p) {
        if (pos + 9 > size) return true;
        const uint32_t headerLength = Read32(data + pos);
        if (headerLength < 9) return false;
        pos += headerLength + static_cast<uint64_t>(Read16(data + pos + 7));
        if (pos > size) return true;
    }
    for (uint32_t i = 0; i < instruments; ++i) {
        if (pos + 29 > size) return true;
        const uint32_t headerSize = Read32(data + pos);
        const uint32_t samples = Read16(data + pos + 27);
        if (headerSize < 29) return false;
        if (samples == 0) {
            pos += headerSize;
            if (pos > size) return true;
            continue;
        }
        if (pos + 33 > size) return true;
        uint32_t sampleHeaderSize = Read32(data + pos + 29);
        if (sampleHeaderSize == 0) sampleHeaderSize = 40;
        if (sampleHeaderSize < 18 || samples > 256) return false;
        pos += headerSize;
        uint64_t sampleBytes = 0;
        for (uint32_t s = 0; s < samples; ++s) {
            if (pos + sampleHeaderSize > size) return true;
            const uint32_t length = Read32(data + pos);
            const bool sixteenBit = (data[pos + 14] & 0x10) != 0;
            const bool packed = data[pos + 17] == 0xAD && !sixteenBit;  // 4-bit ADPCM
            sampleBytes += packed ? 16 + (static_cast<uint64_t>(length) + 1) / 2 : length;
            pos += sampleHeaderSize;
        }
        pos += sampleBytes;
        if (pos > size) return true;
    }
    return false;
}

void Complain(const std::string& source, const std::string& why)
{
    Report("%s: %s", source.c_str(), why.c_str());
}

bool ReadModuleFile(const char* path, uint32_t offset, uint32_t length, std::vector<uint8_t>* data)
{
    struct stat info;
    if (stat(path, &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) Complain(path, "not found");
        else Complain(path, std::string("cannot be read: ") + std::strerror(errno));
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        Complain(path, "is a folder");
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        Complain(path, "not a regular file");
        return false;
    }
    const uint64_t size = static_cast<uint64_t>(info.st_size);
    if (offset > size) {
        Complain(path, "offset " + std::to_string(offset) + " is past the end of the file (" +
                           std::to_string(size) + " bytes)");
        return false;
    }
    const uint64_t wanted = length ? length : size - offset;
    if (offset + wanted > size) {
        Complain(path, "the file ends before offset + length (" + std::to_string(size) + " bytes)");
        return false;
    }
    if (wanted > kLargestModule) {
        Complain(path, "too large for a module file");
        return false;
    }

    // The standard C file calls, so that every system reads modules the
    // same way; the checks above already refused anything but a file.
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        Complain(path, std::string("cannot be read: ") + std::strerror(errno));
        return false;
    }
    // fseek takes a long, which is 32 bits on some systems: large offsets
    // are reached in steps.
    for (uint64_t skip = offset; skip > 0;) {
        const long step = static_cast<long>(skip < (1u << 30) ? skip : (1u << 30));
        if (std::fseek(file, step, SEEK_CUR) != 0) {
            Complain(path, std::string("seek failed: ") + std::strerror(errno));
            std::fclose(file);
            return false;
        }
        skip -= static_cast<uint64_t>(step);
    }
    data->resize(static_cast<size_t>(wanted));
    size_t done = 0;
    while (done < data->size()) {
        const size_t got = std::fread(data->data() + done, 1, data->size() - done, file);
        if (got == 0) {
            Complain(path, std::ferror(file) ? std::string("read failed: ") + std::strerror(errno)
                                             : std::string("the file shrank while it was read"));
            std::fclose(file);
            return false;
        }
        done += got;
    }
    std::fclose(file);
    return true;
}

}  // namespace zelvik
