#include "shared/png_writer.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "shared/whole_file.h"

namespace zelvik {

namespace {

// Where the encoded bytes go, a file or memory, and why the encoding failed.
struct PngSink {
    FILE* file = nullptr;
    std::vector<uint8_t>* memory = nullptr;
    std::string reason;
};

void OnPngError(png_structp png, png_const_charp message)
{
    auto* sink = static_cast<PngSink*>(png_get_error_ptr(png));
    sink->reason = message;
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// Writes through stdio, keeping the system's reason when a write fails
// (a full disk, a file size limit) instead of libpng's bare "Write Error".
void WritePngBytes(png_structp png, png_bytep data, size_t length)
{
    auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    if (sink->memory != nullptr) {
        sink->memory->insert(sink->memory->end(), data, data + length);
    } else if (std::fwrite(data, 1, length, sink->file) != length) {
        sink->reason = std::strerror(errno);
        png_longjmp(png, 1);
    }
}

void FlushPngBytes(png_structp png)
{
    auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    if (sink->file != nullptr && std::fflush(sink->file) != 0) {
        sink->reason = std::strerror(errno);
        png_longjmp(png, 1);
    }
}

// Encodes height rows (`pitch` bytes apart) as an 8-bit PNG of the given
// colour type, with an optional colour table, into `sink`. Returns "" on
// success, else the reason.
std::string EncodePng(PngSink& sink, const uint8_t* pixels, int32_t width, int32_t height, size_t pitch,
                      int colourType, const png_color* table, int tableSize)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, OnPngError, OnPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr) {
        png_destroy_write_struct(&png, &info);
        return "out of memory";
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return sink.reason.empty() ? "write failed" : sink.reason;
    }

    png_set_write_fn(png, &sink, WritePngBytes, FlushPngBytes);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (table != nullptr) png_set_PLTE(png, info, table, tableSize);
    png_write_info(png, info);
    for (int32_t y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(pixels + static_cast<size_t>(y) * pitch));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return {};
}

// Writes the PNG under a temporary name and renames it, so that a failed
// write leaves no partial file.
std::string WritePng(const std::string& path, const uint8_t* pixels, int32_t width, int32_t height,
                     size_t pitch, int colourType, const png_color* table, int tableSize)
{
    return WriteFileVia(path, [&](FILE* file) {
        PngSink sink;
        sink.file = file;
        return EncodePng(sink, pixels, width, height, pitch, colourType, table, tableSize);
    });
}

}  // namespace

std::string WriteIndexedPng(const std::string& path, const uint8_t* pixels, int32_t width,
                            int32_t height, const int32_t* red, const int32_t* green,
                            const int32_t* blue)
{
    png_color table[256];
    for (int i = 0; i < 256; ++i) {
        table[i].red = static_cast<png_byte>(red[i]);
        table[i].green = static_cast<png_byte>(green[i]);
        table[i].blue = static_cast<png_byte>(blue[i]);
    }
    return WritePng(path, pixels, width, height, static_cast<size_t>(width), PNG_COLOR_TYPE_PALETTE,
                    table, 256);
}

std::string WriteRgbaPng(const std::string& path, const uint8_t* pixels, int32_t width, int32_t height)
{
    return WritePng(path, pixels, width, height, static_cast<size_t>(width) * 4, PNG_COLOR_TYPE_RGBA,
                    nullptr, 0);
}

std::string EncodeRgbaPng(std::vector<uint8_t>* bytes, const uint8_t* pixels, int32_t width, int32_t height)
{
    PngSink sink;
    sink.memory = bytes;
    return EncodePng(sink, pixels, width, height, static_cast<size_t>(width) * 4, PNG_COLOR_TYPE_RGBA,
                     nullptr, 0);
}

}  // namespace zelvik
