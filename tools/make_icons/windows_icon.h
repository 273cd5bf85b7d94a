// The Windows icon file (.ico) of the same pictures as the PNG icons: one
// 32-bit picture with alpha per size, the 256-pixel one stored as PNG and
// the smaller ones as uncompressed bitmaps with a transparency mask, which
// every Windows version from Vista on reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace make_icons {

// Sizes the Windows icon holds: the system's small and large icons at the
// usual display scales, and Explorer's largest view.
inline constexpr int kWindowsIconSizes[] = {16, 24, 32, 48, 256};

// One square picture: size x size pixels of four bytes (red, green, blue,
// alpha), rows top down.
struct IconImage {
    int size;
    std::vector<uint8_t> rgba;
};

// Writes the pictures, in the order given, as the icon file `path` (to a
// temporary name first, renamed when whole). Returns "" on success, else
// the reason.
std::string WriteWindowsIcon(const std::string& path, const std::vector<IconImage>& images);

}  // namespace make_icons
