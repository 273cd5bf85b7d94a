#include "windows_icon.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "shared/png_writer.h"
#include "shared/whole_file.h"

namespace make_icons {

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// A picture as the icon format's bitmap: an info header giving twice the
// height (colour rows, then mask rows), the colour rows bottom up as blue,
// green, red, alpha, and a one-bit mask (set where transparent) whose rows
// are padded to four bytes. Windows draws the alpha channel; the mask is
// for whatever draws without it.
std::vector<uint8_t> IconBitmap(const IconImage& image)
{
    const uint32_t size = static_cast<uint32_t>(image.size);
    const uint32_t maskPitch = (size + 31) / 32 * 4;
    std::vector<uint8_t> out;
    Put32(out, 40);        // info header size
    Put32(out, size);      // width
    Put32(out, size * 2);  // height: colour and mask
    Put16(out, 1);         // planes
    Put16(out, 32);        // bits per pixel
    Put32(out, 0);         // uncompressed
    Put32(out, size * size * 4 + maskPitch * size);
    for (int i = 0; i < 4; ++i) Put32(out, 0);  // resolution, colours used and important
    for (uint32_t row = size; row-- > 0;) {
        const uint8_t* pixel = image.rgba.data() + static_cast<size_t>(row) * size * 4;
        for (uint32_t x = 0; x < size; ++x, pixel += 4) {
            out.push_back(pixel[2]);
            out.push_back(pixel[1]);
            out.push_back(pixel[0]);
            out.push_back(pixel[3]);
        }
    }
    for (uint32_t row = size; row-- > 0;) {
        std::vector<uint8_t> mask(maskPitch, 0);
        for (uint32_t x = 0; x < size; ++x)
            if (image.rgba[(static_cast<size_t>(row) * size + x) * 4 + 3] == 0)
                mask[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), mask.begin(), mask.end());
    }
    return out;
}

}  // namespace

std::string WriteWindowsIcon(const std::string& path, const std::vector<IconImage>& images)
{
    std::vector<std::vector<uint8_t>> stored;
    for (const IconImage& image : images) {
        if (image.size < 256) {
            stored.push_back(IconBitmap(image));
            continue;
        }
        stored.emplace_back();
        const std::string failure =
            zelvik::EncodeRgbaPng(&stored.back(), image.rgba.data(), image.size, image.size);
        if (!failure.empty()) return failure;
    }

    // The directory: a header, then one entry per picture (a side of 256
    // is written as 0), then the pictures in the same order.
    std::vector<uint8_t> file;
    Put16(file, 0);  // reserved
    Put16(file, 1);  // an icon, not a cursor
    Put16(file, static_cast<uint32_t>(images.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const uint8_t side = static_cast<uint8_t>(images[i].size >= 256 ? 0 : images[i].size);
        file.push_back(side);
        file.push_back(side);
        file.push_back(0);  // no colour table
        file.push_back(0);  // reserved
        Put16(file, 1);     // planes
        Put16(file, 32);    // bits per pixel
        Put32(file, static_cast<uint32_t>(stored[i].size()));
        Put32(file, offset);
        offset += static_cast<uint32_t>(stored[i].size());
    }
    for (const std::vector<uint8_t>& bytes : stored) file.insert(file.end(), bytes.begin(), bytes.end());

    return zelvik::WriteWholeFile(path, file.data(), file.size());
}

}  // namespace make_icons
