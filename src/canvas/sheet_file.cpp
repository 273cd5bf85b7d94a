// The sprite sheet file: a 320x200 8-bit BMP read into an indexed image,
// its colour table into the palette. Rows may be stored bottom-up (the
// classic layout) or top-down, uncompressed or, bottom-up only, RLE8.
#include "canvas/sheet_file.h"

#include <cstdio>
#include <cstring>

#include "canvas/canvas.h"
#include "driver/data_file.h"
#include "driver/report.h"

namespace zelvik {

static constexpr uint32_t kFileHeaderSize = 14;
static constexpr uint32_t kInfoHeaderSize = 40;
static constexpr uint32_t kImageBytes = kCanvasSize;
static constexpr uint32_t kRowBytes = kCanvasWidth;
static constexpr uint32_t kRows = kCanvasHeight;

// Largest info header accepted. The largest in use is 124 bytes; the slack
// admits later extensions without admitting nonsense.
static constexpr uint32_t kMaxInfoHeaderSize = 1024;
// The pixel rows must begin within the first 64 KiB: room for any info
// header above, a full colour table and a gap, while keeping the bytes read
// before the rows bounded.
static constexpr uint32_t kMaxRowOffset = 65536;

// Loader scratch. Everything between the 40 bytes of the info header that
// are interpreted and the first pixel row (the rest of a larger info header,
// the colour table, any gap) is read into Between.
static uint8_t FileHeader[kFileHeaderSize];
static uint8_t InfoHeader[kInfoHeaderSize];
static uint8_t Between[kMaxRowOffset - kFileHeaderSize - kInfoHeaderSize];
static uint8_t StoredRows[kImageBytes];

// BMP compression codes.
static constexpr uint32_t kUncompressed = 0;
static constexpr uint32_t kRle8 = 1;
// The most RLE8 data a 320x200 picture can need: every pixel a run of one
// (two bytes), an end-of-line per row and the end-of-bitmap code. Data past
// this is never read.
static constexpr uint32_t kMaxRleBytes = 2 * kImageBytes + 2 * kRows + 2;
static uint8_t RleData[kMaxRleBytes];

static uint32_t ReadU16(const uint8_t* p) { return p[0] | (p[1] << 8); }

static uint32_t ReadU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

static int32_t ReadS32(const uint8_t* p) { return static_cast<int32_t>(ReadU32(p)); }

static void Complain(const char* path, const char* reason)
{
    Report("%s: %s", path, reason);
}

static void ComplainAboutOpen(const char* path)
{
    switch (DataFileOpenError()) {
    case DataFileError::NotFound: Complain(path, "not found"); break;
    case DataFileError::PermissionDenied: Complain(path, "permission denied"); break;
    case DataFileError::IsFolder: Complain(path, "is a folder"); break;
    case DataFileError::NotRegularFile: Complain(path, "not a regular file"); break;
    default: Complain(path, DataFileErrorText()); break;
    }
}

// Checks the two headers. Returns nullptr when the file can be used, else
// the reason, formatted into `text` where it carries numbers.
static const char* CompressionName(uint32_t compression)
{
    switch (compression) {
    case 2: return "RLE4";
    case 3: return "bit fields";
    case 4: return "JPEG";
    case 5: return "PNG";
    case 6: return "alpha bit fields";
    default: return nullptr;
    }
}

// Checks the two headers. Returns nullptr when the file can be used, else
// the reason, formatted into `text` where it carries numbers.
static const char* CheckHeaders(char* text, size_t size)
{
    if (FileHeader[0] != 'B' || FileHeader[1] != 'M') return "not a BMP file";

    // The header's size says how its fields are laid out, so it is checked
    // first: a 12-byte OS/2 header keeps its dimensions in 16-bit fields and
    // the numbers read from the Windows positions would mean nothing.
    const uint32_t infoSize = ReadU32(InfoHeader + 0);
    if (infoSize == 12) return "OS/2 bitmap header (12 bytes), need a Windows one (40 bytes or more)";
    if (infoSize < kInfoHeaderSize || infoSize > kMaxInfoHeaderSize) {
        std::snprintf(text, size, "info header of %u bytes, need 40 to %u", infoSize,
                      kMaxInfoHeaderSize);
        return text;
    }

    const int32_t width = ReadS32(InfoHeader + 4);
    const int32_t height = ReadS32(InfoHeader + 8);
    const uint32_t planes = ReadU16(InfoHeader + 12);
    const uint32_t bitCount = ReadU16(InfoHeader + 14);
    const uint32_t compression = ReadU32(InfoHeader + 16);
    if (width != kCanvasWidth || (height != kCanvasHeight && height != -kCanvasHeight)) {
        std::snprintf(text, size, "%dx%d, need %dx%d", width, height, kCanvasWidth, kCanvasHeight);
        return text;
    }
    if (bitCount != 8) {
        std::snprintf(text, size, "%u bits per pixel, need 8", bitCount);
        return text;
    }
    if (compression == kRle8 && height < 0)
        return "RLE8 with top-down rows, which BMP does not allow";
    if (compression != kUncompressed && compression != kRle8) {
        const char* name = CompressionName(compression);
        if (name != nullptr)
            std::snprintf(text, size, "compressed as %s, need uncompressed or RLE8", name);
        else
            std::snprintf(text, size, "unknown compression %u, need uncompressed or RLE8",
                          compression);
        return text;
    }
    if (planes != 1) {
        std::snprintf(text, size, "%u planes, need 1", planes);
        return text;
    }

    // The layout: where the colour table and the rows lie must fit what a
    // 320x200 8-bit file can hold.
    const uint32_t coloursUsed = ReadU32(InfoHeader + 32);
    const uint32_t rowOffset = ReadU32(FileHeader + 10);
    if (coloursUsed > 256) {
        std::snprintf(text, size, "%u colours in the colour table, at most 256", coloursUsed);
        return text;
    }
    const uint32_t entries = coloursUsed == 0 ? 256 : coloursUsed;
    const uint32_t tableEnd = kFileHeaderSize + infoSize + 4 * entries;
    if (rowOffset < tableEnd) {
        std::snprintf(text, size, "pixel rows at offset %u overlap the colour table (ends at %u)",
                      rowOffset, tableEnd);
        return text;
    }
    if (rowOffset > kMaxRowOffset) {
        std::snprintf(text, size, "pixel rows at offset %u, need at most %u", rowOffset,
                      kMaxRowOffset);
        return text;
    }
    return nullptr;
}

// Decodes `size` bytes of RLE8 data into StoredRows (bottom-up, as an
// uncompressed file stores them; pixels the data skips or never reaches
// stay 0). Nothing is ever written outside the picture: runs and absolute
// blocks are clipped at the end of their row, and rows past the last are
// dropped. Returns nullptr for well-formed data, else what was wrong, the
// picture being kept as far as it was decoded.
static const char* DecodeRle8(uint32_t size, char* text, size_t textSize)
{
    uint32_t at = 0, x = 0, y = 0;
    bool clipped = false;
    auto put = [&](uint8_t value) {
        if (x < kRowBytes && y < kRows) StoredRows[kRowBytes * y + x] = value;
        else clipped = true;
        ++x;
    };
    for (;;) {
        if (at + 2 > size) break;
        const uint32_t count = RleData[at];
        const uint32_t value = RleData[at + 1];
        at += 2;
        if (count > 0) {
            for (uint32_t i = 0; i < count; ++i) put(static_cast<uint8_t>(value));
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            if (clipped) return "RLE8 data reaches past the picture's edge, clipped";
            return nullptr;
        } else if (value == 2) {  // delta: right and up
            if (at + 2 > size) break;
            x += RleData[at];
            y += RleData[at + 1];
            at += 2;
        } else {  // absolute block of `value` bytes, padded to an even length
            const uint32_t available = size - at < value ? size - at : value;
            for (uint32_t i = 0; i < available; ++i) put(RleData[at + i]);
            at += value + (value & 1);
            if (available < value) break;
        }
        // A row counter far past the picture would otherwise keep counting.
        if (y > kRows) y = kRows;
        if (x > 0x10000) x = 0x10000;
    }
    if (y >= kRows) return clipped ? "RLE8 data reaches past the picture's edge, clipped" : nullptr;
    std::snprintf(text, textSize,
                  "RLE8 data ends without an end-of-bitmap code in row %u of %u, the rest reads as zero",
                  y + 1, kRows);
    return text;
}

// Reads the file and info headers of the open file and checks them; returns
// what is wrong (in `text` or a constant), or nullptr, and how many header
// bytes the file had.
static const char* ReadHeaders(char* text, size_t textSize, uint32_t* headerBytes)
{
    // Bytes a short file lacks read as zero on every load, not as whatever
    // an earlier load left behind.
    std::memset(FileHeader, 0, sizeof FileHeader);
    std::memset(InfoHeader, 0, sizeof InfoHeader);

    uint32_t got = 0;
    *headerBytes = 0;
    if (!ReadDataFile(FileHeader, kFileHeaderSize, &got)) return "read error";
    *headerBytes = got;
    if (!ReadDataFile(InfoHeader, kInfoHeaderSize, &got)) return "read error";
    *headerBytes += got;
    const char* problem = CheckHeaders(text, textSize);
    // A BMP file that ends inside its headers fails their checks on the
    // zeros that stand in for the missing bytes; say what really happened.
    if (problem != nullptr && *headerBytes < kFileHeaderSize + kInfoHeaderSize) {
        if (*headerBytes == 0) return "empty file";
        if (FileHeader[0] == 'B' && FileHeader[1] == 'M') {
            std::snprintf(text, textSize, "cut short: %u bytes, the headers alone need %u", *headerBytes,
                          kFileHeaderSize + kInfoHeaderSize);
            return text;
        }
    }
    return problem;
}

// The stored rows into `destination` top row first, and the colour table's
// `entries` into the palette when setPalette is non-zero.
static void DeliverPicture(uint8_t* destination, bool topDown, int32_t setPalette, const uint8_t* colourTable,
                           uint32_t entries)
{
    if (topDown) {
        std::memcpy(destination, StoredRows, kImageBytes);
    } else {
        // Rows are stored bottom-up: stored row 199 - r is destination row r.
        for (uint32_t r = 0; r < kRows; ++r)
            std::memcpy(destination + kRowBytes * r, StoredRows + kRowBytes * (kRows - 1 - r),
                        kRowBytes);
    }

    if (setPalette != 0) {
        // Entries are blue, green, red, reserved. Palette entries the table
        // does not cover become black.
        for (uint32_t k = 0; k < 256; ++k) {
            if (k < entries) {
                const uint8_t* e = colourTable + 4 * k;
                SetPaletteEntry(static_cast<int32_t>(k), e[2], e[1], e[0]);
            } else {
                SetPaletteEntry(static_cast<int32_t>(k), 0, 0, 0);
            }
        }
    }
}

void LoadSpriteSheet(const char* path, uint8_t* destination, int32_t setPalette)
{
    if (OpenDataFile(path) == -1) {
        ComplainAboutOpen(path);
        return;
    }

    char text[128];
    uint32_t headerBytes = 0, got = 0;
    const char* problem = ReadHeaders(text, sizeof text, &headerBytes);
    if (problem != nullptr) {
        CloseDataFile();
        Complain(path, problem);
        return;
    }

    // The file is read front to back: the rest of the info header, the
    // colour table and any gap up to the rows go into Between, so that the
    // table is found where the header puts it, and the rows are taken from
    // the offset the file header names.
    const uint32_t infoSize = ReadU32(InfoHeader + 0);
    const uint32_t coloursUsed = ReadU32(InfoHeader + 32);
    const uint32_t entries = coloursUsed == 0 ? 256 : coloursUsed;
    const uint32_t rowOffset = ReadU32(FileHeader + 10);
    const uint32_t betweenBytes = rowOffset - kFileHeaderSize - kInfoHeaderSize;
    const uint8_t* colourTable = Between + (infoSize - kInfoHeaderSize);

    const uint32_t compression = ReadU32(InfoHeader + 16);
    const bool topDown = ReadS32(InfoHeader + 8) < 0;

    std::memset(Between, 0, betweenBytes);
    std::memset(StoredRows, 0, sizeof StoredRows);
    bool readOk = ReadDataFile(Between, betweenBytes, &got);
    uint32_t bodyBytes = got;
    got = 0;
    if (compression == kRle8) {
        readOk = readOk && ReadDataFile(RleData, kMaxRleBytes, &got);
    } else {
        readOk = readOk && ReadDataFile(StoredRows, kImageBytes, &got);
    }
    bodyBytes += got;
    CloseDataFile();
    if (!readOk) {
        Complain(path, "read error");
        return;
    }
    if (compression == kRle8) {
        // Data cut short or malformed still gives the picture as far as it
        // goes, but the viewer is told why it is incomplete.
        const char* problem = DecodeRle8(got, text, sizeof text);
        if (problem != nullptr) Complain(path, problem);
    } else if (headerBytes + bodyBytes < rowOffset + kImageBytes) {
        // A file that ends early is still used, its missing bytes read as
        // zero, but the viewer is told why the picture is incomplete.
        std::snprintf(text, sizeof text, "cut short: %u of %u bytes, the rest reads as zero",
                      headerBytes + bodyBytes, rowOffset + kImageBytes);
        Complain(path, text);
    }

    DeliverPicture(destination, topDown, setPalette, colourTable, entries);
}

void ZeroSheetFileState()
{
    ZeroDataFileState();
    std::memset(FileHeader, 0, sizeof FileHeader);
    std::memset(InfoHeader, 0, sizeof InfoHeader);
    std::memset(Between, 0, sizeof Between);
    std::memset(StoredRows, 0, sizeof StoredRows);
    std::memset(RleData, 0, sizeof RleData);
}

}  // namespace zelvik
