// Draws the application icon at every size the desktop asks for and writes
// each as an RGBA PNG into the icon theme's layout:
//
//   make_icons OUTPUT-FOLDER APP-ID
//
// writes OUTPUT-FOLDER/<size>x<size>/apps/APP-ID.png. Same build, same
// bytes: nothing in the files depends on the time or the machine.
#include <png.h>

#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "icon.h"

using namespace make_sheet;

namespace {

struct PngFailure {
    std::string message;
};

void OnPngError(png_structp png, png_const_charp message)
{
    static_cast<PngFailure*>(png_get_error_ptr(png))->message = message;
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// Writes `picture` as 8-bit RGBA, transparent where it is not opaque.
// Returns "" on success, else the reason.
std::string WriteRgbaPng(const std::string& path, const Picture& picture)
{
    std::vector<png_byte> rows(static_cast<size_t>(picture.width) * picture.height * 4);
    for (size_t i = 0; i < picture.colour.size(); ++i) {
        const Colour c = picture.colour[i];
        const bool opaque = picture.opaque[i] != 0;
        rows[4 * i + 0] = opaque ? static_cast<png_byte>(std::lround(c.r)) : 0;
        rows[4 * i + 1] = opaque ? static_cast<png_byte>(std::lround(c.g)) : 0;
        rows[4 * i + 2] = opaque ? static_cast<png_byte>(std::lround(c.b)) : 0;
        rows[4 * i + 3] = opaque ? 255 : 0;
    }

    const std::string temporary = path + ".part";
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) return std::strerror(errno);
    PngFailure failure;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, OnPngError, OnPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        std::fclose(file);
        std::remove(temporary.c_str());
        return "out of memory";
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        std::remove(temporary.c_str());
        return failure.message;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height), 8,
                 PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < picture.height; ++y)
        png_write_row(png, rows.data() + static_cast<size_t>(y) * picture.width * 4);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    const bool flushed = std::fflush(file) == 0;
    const int flushErrno = errno;
    if (std::fclose(file) != 0 || !flushed) {
        std::remove(temporary.c_str());
        return std::strerror(flushed ? errno : flushErrno);
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        std::remove(temporary.c_str());
        return reason;
    }
    return {};
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_icons OUTPUT-FOLDER APP-ID\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    const std::string name = std::string(argv[2]) + ".png";
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
        const std::string failure = WriteRgbaPng(path, icon);
        if (!failure.empty()) {
            std::fprintf(stderr, "make_icons: cannot write %s: %s\n", path.c_str(), failure.c_str());
            return 1;
        }
    }
    return 0;
}
