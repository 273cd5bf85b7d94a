// Draws the application icon at every size the desktop asks for and writes
// each as an RGBA PNG into the icon theme's layout, and the same pictures
// as the Windows program's icon file:
//
//   make_icons OUTPUT-FOLDER APP-ID [WINDOWS-ICON]
//
// writes OUTPUT-FOLDER/<size>x<size>/apps/APP-ID.png, and WINDOWS-ICON
// (an .ico) when it is named. Same build, same bytes: nothing in the files
// depends on the time or the machine.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "shared/png_writer.h"
#include "icon.h"
#include "windows_icon.h"

using namespace make_sheet;

namespace {

// `picture` as 8-bit RGBA rows, transparent where it is not opaque.
std::vector<uint8_t> RgbaRows(const Picture& picture)
{
    std::vector<uint8_t> rows(static_cast<size_t>(picture.width) * picture.height * 4);
    for (size_t i = 0; i < picture.colour.size(); ++i) {
        const Colour c = picture.colour[i];
        const bool opaque = picture.opaque[i] != 0;
        rows[4 * i + 0] = opaque ? static_cast<uint8_t>(std::lround(c.r)) : 0;
        rows[4 * i + 1] = opaque ? static_cast<uint8_t>(std::lround(c.g)) : 0;
        rows[4 * i + 2] = opaque ? static_cast<uint8_t>(std::lround(c.b)) : 0;
        rows[4 * i + 3] = opaque ? 255 : 0;
    }
    return rows;
}

bool InWindowsIcon(int size)
{
    for (int windowsSize : make_icons::kWindowsIconSizes)
        if (windowsSize == size) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: make_icons OUTPUT-FOLDER APP-ID [WINDOWS-ICON]\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    const std::string name = std::string(argv[2]) + ".png";
    std::vector<make_icons::IconImage> windowsImages;
    for (int size : make_icons::kIconSizes) {
        const std::filesystem::path folder = root / (std::to_string(size) + "x" + std::to_string(size)) / "apps";
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error) {
            std::fprintf(stderr, "make_icons: cannot create folder %s: %s\n", folder.c_str(), error.message().c_str());
            return 1;
        }
        const int scale = make_icons::ArtScale(size);
        const Picture icon = make_icons::Enlarge(make_icons::DrawIcon(size / scale), scale);
        const std::string path = (folder / name).string();
        std::vector<uint8_t> rows = RgbaRows(icon);
        const std::string failure = zelvik::WriteRgbaPng(path, rows.data(), icon.width, icon.height);
        if (!failure.empty()) {
            std::fprintf(stderr, "make_icons: cannot write %s: %s\n", path.c_str(), failure.c_str());
            return 1;
        }
        if (InWindowsIcon(size)) windowsImages.push_back({size, std::move(rows)});
    }
    if (argc == 4) {
        const std::string failure = make_icons::WriteWindowsIcon(argv[3], windowsImages);
        if (!failure.empty()) {
            std::fprintf(stderr, "make_icons: cannot write %s: %s\n", argv[3], failure.c_str());
            return 1;
        }
    }
    return 0;
}
