#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bmp_writer.h"
#include "canvas/canvas.h"
#include "canvas/sheet_file.h"
#include "canvas/sprites.h"
#include "driver/data_file.h"

using namespace zelvik;

namespace {

// A BMP file to write: the writer's fields (the defaults give the classic
// layout) and where to cut the file short.
struct BmpFile : bmp::Fields {
    size_t truncateAt = SIZE_MAX;
};

// Colour-table entry k holds blue, green, red = k, k ^ 0x55, 255 - k; stored
// row s holds byte (x + 3 s) mod 256 at column x.
uint8_t StoredPixel(int x, int storedRow) { return static_cast<uint8_t>(x + 3 * storedRow); }

std::vector<uint32_t> TestColours()
{
    std::vector<uint32_t> colours;
    for (uint32_t k = 0; k < 256; ++k) colours.push_back((255 - k) << 16 | (k ^ 0x55) << 8 | k);
    return colours;
}

// The file with `rows` as stored; unwritten bytes are 0xEE.
std::vector<uint8_t> WithBody(const BmpFile& f, const std::vector<uint8_t>& rows)
{
    std::vector<uint8_t> b = bmp::Encode(f, TestColours(), rows, 0xEE);
    if (f.truncateAt < b.size()) b.resize(f.truncateAt);
    return b;
}

std::vector<uint8_t> Bytes(const BmpFile& f)
{
    std::vector<uint8_t> rows(64000);
    for (int s = 0; s < 200; ++s)
        for (int x = 0; x < 320; ++x) rows[320 * s + x] = StoredPixel(x, s);
    return WithBody(f, rows);
}

// A picture with runs of every length from 1 to 9 and stretches without
// any, stored bottom-up: byte at (x, stored row s).
uint8_t RunnyPixel(int x, int s)
{
    if (x >= 200) return static_cast<uint8_t>(x * 7 + s);  // no two neighbours alike
    return static_cast<uint8_t>((x / (1 + (s % 9))) + s);
}

std::vector<uint8_t> RunnyRows()
{
    std::vector<uint8_t> rows(64000);
    for (int s = 0; s < 200; ++s)
        for (int x = 0; x < 320; ++x) rows[320 * s + x] = RunnyPixel(x, s);
    return rows;
}

class SheetLoaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZeroCanvasState();
        ZeroSpriteState();
        std::string pattern = ::testing::TempDir() + "sheet_loader_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        destination.assign(64000, 0x11);
        for (int k = 0; k < 256; ++k) SetPaletteEntry(k, 1, 2, 3);
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(dir, ignored);
    }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        const std::string path = dir + "/" + name;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    // Loads and returns what went to stderr.
    std::string Load(const std::string& path, int32_t setPalette = 1)
    {
        ::testing::internal::CaptureStderr();
        LoadSpriteSheet(path.c_str(), destination.data(), setPalette);
        return ::testing::internal::GetCapturedStderr();
    }
    // A rejected file leaves destination and palette alone, closes the file
    // and says why in one line naming the file.
    void ExpectRejected(const std::string& path, const std::string& reason)
    {
        const std::string said = Load(path);
        EXPECT_EQ(said, path + ": " + reason + "\n");
        EXPECT_FALSE(DataFileIsOpen());
        for (uint8_t b : destination) ASSERT_EQ(b, 0x11);
        for (int k = 0; k < 256; ++k) {
            ASSERT_EQ(PaletteRed[k], 1);
            ASSERT_EQ(PaletteGreen[k], 2);
            ASSERT_EQ(PaletteBlue[k], 3);
        }
    }
    void ExpectImageLoaded(int rowsPresent = 200)
    {
        for (int r = 0; r < 200; ++r) {
            const int stored = 199 - r;
            for (int x = 0; x < 320; ++x)
                ASSERT_EQ(destination[x + 320 * r], stored < rowsPresent ? StoredPixel(x, stored) : 0)
                    << "row " << r << " column " << x;
        }
    }
    void ExpectPaletteFromTable(uint32_t entries)
    {
        for (uint32_t k = 0; k < 256; ++k) {
            const bool in = k < entries;
            ASSERT_EQ(PaletteRed[k], in ? static_cast<int32_t>(255 - k) : 0) << k;
            ASSERT_EQ(PaletteGreen[k], in ? static_cast<int32_t>(k ^ 0x55) : 0) << k;
            ASSERT_EQ(PaletteBlue[k], in ? static_cast<int32_t>(k) : 0) << k;
        }
    }
    std::string dir;
    std::vector<uint8_t> destination;
};

TEST_F(SheetLoaderTest, ClassicLayoutLoadsImageUpsideDownAndPalette)
{
    const std::string path = Write("classic.bmp", Bytes(BmpFile{}));
    EXPECT_EQ(Load(path), "");
    EXPECT_FALSE(DataFileIsOpen());
    ExpectImageLoaded();
    // The first stored byte (bottom-left) lands at 63,680, the last at 319.
    EXPECT_EQ(destination[63680], StoredPixel(0, 0));
    EXPECT_EQ(destination[319], StoredPixel(319, 199));
    ExpectPaletteFromTable(256);
    // Colour-table bytes are blue, green, red: entry 10 is 10, 95, 245.
    EXPECT_EQ(PaletteRed[10], 245);
    EXPECT_EQ(PaletteGreen[10], 10 ^ 0x55);
    EXPECT_EQ(PaletteBlue[10], 10);

    // Without the palette flag only the image changes.
    for (int k = 0; k < 256; ++k) SetPaletteEntry(k, 1, 2, 3);
    destination.assign(64000, 0x11);
    EXPECT_EQ(Load(path, 0), "");
    ExpectImageLoaded();
    for (int k = 0; k < 256; ++k) ASSERT_EQ(PaletteRed[k] + PaletteGreen[k] + PaletteBlue[k], 6);
}

TEST_F(SheetLoaderTest, TableAndRowsAreFoundWhereTheHeaderPutsThem)
{
    // A larger info header moves the table and the rows.
    BmpFile v5;
    v5.infoSize = 124;
    EXPECT_EQ(Load(Write("v5.bmp", Bytes(v5))), "");
    ExpectImageLoaded();
    ExpectPaletteFromTable(256);

    // A short table: entries it lacks become black.
    BmpFile shortTable;
    shortTable.coloursUsed = 16;
    EXPECT_EQ(Load(Write("short_table.bmp", Bytes(shortTable))), "");
    ExpectImageLoaded();
    ExpectPaletteFromTable(16);

    // Both, plus a gap between the table and the rows.
    BmpFile gap;
    gap.infoSize = 108;
    gap.coloursUsed = 200;
    gap.rowOffset = 14 + 108 + 800 + 333;
    EXPECT_EQ(Load(Write("gap.bmp", Bytes(gap))), "");
    ExpectImageLoaded();
    ExpectPaletteFromTable(200);
    EXPECT_FALSE(DataFileIsOpen());
}

TEST_F(SheetLoaderTest, MissingBytesOfAShortFileReadAsZero)
{
    // Load a full file first, so stale bytes would show.
    const std::string full = Write("full.bmp", Bytes(BmpFile{}));
    EXPECT_EQ(Load(full), "");

    // Cut after 50 stored rows: used, and the viewer is told.
    BmpFile cut;
    cut.truncateAt = 1078 + 320 * 50;
    std::string path = Write("cut_rows.bmp", Bytes(cut));
    EXPECT_EQ(Load(path), path + ": cut short: 17078 of 65078 bytes, the rest reads as zero\n");
    ExpectImageLoaded(50);
    ExpectPaletteFromTable(256);

    // Cut inside the colour table: entries from 100 on are black, the image
    // is all zero.
    cut.truncateAt = 54 + 4 * 100;
    path = Write("cut_table.bmp", Bytes(cut));
    EXPECT_EQ(Load(path), path + ": cut short: 454 of 65078 bytes, the rest reads as zero\n");
    ExpectImageLoaded(0);
    ExpectPaletteFromTable(100);
    EXPECT_FALSE(DataFileIsOpen());

    // Cut after the bit count: every field that is checked is there and the
    // zeros after it pass, so the file is used: an all-zero image.
    cut.truncateAt = 30;
    path = Write("cut_header.bmp", Bytes(cut));
    EXPECT_EQ(Load(path), path + ": cut short: 30 of 65078 bytes, the rest reads as zero\n");
    ExpectImageLoaded(0);

    // Trailing bytes after the rows are not read.
    std::vector<uint8_t> longer = Bytes(BmpFile{});
    longer.resize(longer.size() + 100000, 0x77);
    EXPECT_EQ(Load(Write("long.bmp", longer)), "");
    ExpectImageLoaded();
}

TEST_F(SheetLoaderTest, TopDownAndRle8FilesGiveThePixelsOfTheClassicFile)
{
    BmpFile classic;
    const std::vector<uint8_t> rows = RunnyRows();
    ASSERT_EQ(Load(Write("classic.bmp", WithBody(classic, rows))), "");
    const std::vector<uint8_t> expected = destination;
    const std::vector<int32_t> red(PaletteRed, PaletteRed + 256);

    // Top-down: the same rows in the opposite order.
    std::vector<uint8_t> flipped(64000);
    for (int s = 0; s < 200; ++s)
        std::copy_n(rows.begin() + 320 * (199 - s), 320, flipped.begin() + 320 * s);
    BmpFile topDown;
    topDown.height = -200;
    destination.assign(64000, 0x11);
    EXPECT_EQ(Load(Write("topdown.bmp", WithBody(topDown, flipped))), "");
    EXPECT_EQ(destination, expected);
    EXPECT_EQ(std::vector<int32_t>(PaletteRed, PaletteRed + 256), red);

    BmpFile rle;
    rle.compression = 1;
    const std::vector<uint8_t> encoded = bmp::EncodeRle8(rows.data());
    ASSERT_LT(encoded.size(), 64000u);  // the picture really has runs
    destination.assign(64000, 0x11);
    EXPECT_EQ(Load(Write("rle.bmp", WithBody(rle, encoded))), "");
    EXPECT_EQ(destination, expected);
    EXPECT_EQ(std::vector<int32_t>(PaletteRed, PaletteRed + 256), red);

    // The worst case, every pixel a run of one, still fits.
    std::vector<uint8_t> ones;
    for (int s = 0; s < 200; ++s) {
        for (int x = 0; x < 320; ++x) ones.insert(ones.end(), {1, rows[320 * s + x]});
        ones.insert(ones.end(), {0, 0});
    }
    ones.insert(ones.end(), {0, 1});
    destination.assign(64000, 0x11);
    EXPECT_EQ(Load(Write("ones.bmp", WithBody(rle, ones))), "");
    EXPECT_EQ(destination, expected);
}

TEST_F(SheetLoaderTest, Rle8DeltasSkipsAndMalformedDataStayInsideThePicture)
{
    BmpFile rle;
    rle.compression = 1;
    // Picture row r is stored row 199 - r.
    auto at = [&](int x, int storedRow) { return destination[x + 320 * (199 - storedRow)]; };

    // A delta moves right and up; skipped pixels and rows read as 0. The
    // end-of-line after the delta starts the next row at column 0.
    destination.assign(64000, 0x11);
    EXPECT_EQ(Load(Write("delta.bmp", WithBody(rle, {3, 7, 0, 2, 5, 2, 2, 9, 0, 0, 1, 4, 0, 1}))), "");
    for (int x = 0; x < 3; ++x) EXPECT_EQ(at(x, 0), 7);
    EXPECT_EQ(at(3, 0), 0);
    EXPECT_EQ(at(8, 2), 9);
    EXPECT_EQ(at(9, 2), 9);
    EXPECT_EQ(at(7, 2), 0);
    EXPECT_EQ(at(0, 3), 4);
    EXPECT_EQ(at(1, 3), 0);
    EXPECT_EQ(at(0, 1), 0);

    // Runs and absolute blocks longer than what is left of the row are cut
    // at the row's end, never wrapping into the next row.
    destination.assign(64000, 0x11);
    const std::string wide =
        Write("wide_run.bmp", WithBody(rle, {0, 2, 60, 0, 255, 5, 255, 6, 0, 3, 1, 2, 3, 0, 0, 1}));
    EXPECT_EQ(Load(wide), wide + ": RLE8 data reaches past the picture's edge, clipped\n");
    EXPECT_EQ(at(59, 0), 0);
    EXPECT_EQ(at(60, 0), 5);
    EXPECT_EQ(at(314, 0), 5);
    EXPECT_EQ(at(315, 0), 6);
    EXPECT_EQ(at(319, 0), 6);
    for (int x = 0; x < 320; ++x) ASSERT_EQ(at(x, 1), 0) << x;

    // Rows past the top and deltas far outside write nothing.
    std::vector<uint8_t> past;
    for (int s = 0; s < 200; ++s) past.insert(past.end(), {0, 0});
    past.insert(past.end(), {10, 3, 0, 2, 255, 255, 0, 2, 255, 255, 4, 4, 0, 1});
    destination.assign(64000, 0x11);
    const std::string pastPath = Write("past.bmp", WithBody(rle, past));
    EXPECT_EQ(Load(pastPath), pastPath + ": RLE8 data reaches past the picture's edge, clipped\n");
    for (uint8_t b : destination) ASSERT_EQ(b, 0);

    // Data that ends early (here inside an absolute block, and without any
    // end-of-bitmap code) keeps what was decoded and says so.
    destination.assign(64000, 0x11);
    const std::string cut = Write("cut.bmp", WithBody(rle, {2, 8, 0, 0, 0, 200, 1, 2, 3}));
    EXPECT_EQ(Load(cut), cut + ": RLE8 data ends without an end-of-bitmap code in row 2 of 200, "
                               "the rest reads as zero\n");
    EXPECT_FALSE(DataFileIsOpen());
    EXPECT_EQ(at(0, 0), 8);
    EXPECT_EQ(at(1, 0), 8);
    EXPECT_EQ(at(0, 1), 1);
    EXPECT_EQ(at(2, 1), 3);
    EXPECT_EQ(at(3, 1), 0);
    destination.assign(64000, 0x11);
    const std::string none = Write("none.bmp", WithBody(rle, {}));
    EXPECT_EQ(Load(none), none + ": RLE8 data ends without an end-of-bitmap code in row 1 of 200, "
                                 "the rest reads as zero\n");
    for (uint8_t b : destination) ASSERT_EQ(b, 0);
}

TEST_F(SheetLoaderTest, UnsuitableHeadersAreRejected)
{
    struct Case {
        const char* name;
        BmpFile file;
        const char* reason;
    };
    std::vector<Case> cases;
    auto add = [&](const char* name, const char* reason, auto change) {
        BmpFile f;
        change(f);
        cases.push_back({name, f, reason});
    };
    add("signature.bmp", "not a BMP file", [](BmpFile& f) { f.signature[0] = 'M'; });
    add("wide.bmp", "321x200, need 320x200", [](BmpFile& f) { f.width = 321; });
    add("tall_topdown.bmp", "320x-201, need 320x200", [](BmpFile& f) { f.height = -201; });
    add("bits24.bmp", "24 bits per pixel, need 8", [](BmpFile& f) { f.bitCount = 24; });
    add("bits4.bmp", "4 bits per pixel, need 8", [](BmpFile& f) { f.bitCount = 4; });
    add("rle4.bmp", "compressed as RLE4, need uncompressed or RLE8",
        [](BmpFile& f) { f.compression = 2; });
    add("bitfields.bmp", "compressed as bit fields, need uncompressed or RLE8",
        [](BmpFile& f) { f.compression = 3; });
    add("odd_compression.bmp", "unknown compression 77, need uncompressed or RLE8",
        [](BmpFile& f) { f.compression = 77; });
    add("rle_topdown.bmp", "RLE8 with top-down rows, which BMP does not allow", [](BmpFile& f) {
        f.compression = 1;
        f.height = -200;
    });
    add("planes.bmp", "2 planes, need 1", [](BmpFile& f) { f.planes = 2; });
    add("core.bmp", "OS/2 bitmap header (12 bytes), need a Windows one (40 bytes or more)",
        [](BmpFile& f) { f.infoSize = 12; });
    add("small_info.bmp", "info header of 16 bytes, need 40 to 1024",
        [](BmpFile& f) { f.infoSize = 16; });
    add("huge_info.bmp", "info header of 5000 bytes, need 40 to 1024",
        [](BmpFile& f) { f.infoSize = 5000; });
    add("colours.bmp", "300 colours in the colour table, at most 256",
        [](BmpFile& f) { f.coloursUsed = 300; });
    add("overlap.bmp", "pixel rows at offset 1000 overlap the colour table (ends at 1078)",
        [](BmpFile& f) { f.rowOffset = 1000; });
    add("far.bmp", "pixel rows at offset 70000, need at most 65536",
        [](BmpFile& f) { f.rowOffset = 70000; });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectRejected(Write(c.name, Bytes(c.file)), c.reason);
    }
    // Files that end before their headers do: said as such, not as the
    // dimensions that the missing bytes would give.
    ExpectRejected(Write("empty.bmp", {}), "empty file");
    const std::vector<uint8_t> whole = Bytes(BmpFile{});
    ExpectRejected(Write("cut2.bmp", {whole.begin(), whole.begin() + 2}),
                   "cut short: 2 bytes, the headers alone need 54");
    ExpectRejected(Write("cut20.bmp", {whole.begin(), whole.begin() + 20}),
                   "cut short: 20 bytes, the headers alone need 54");
    ExpectRejected(Write("text.bmp", {'h', 'i', '\n'}), "not a BMP file");
}

TEST_F(SheetLoaderTest, FilesThatCannotBeOpenedAreReported)
{
    ExpectRejected(dir + "/absent.bmp", "not found");
    ExpectRejected(dir + "/absent/deeper.bmp", "not found");
    ExpectRejected(dir, "is a folder");

    // A pipe must not make the loader wait for a writer.
    const std::string fifo = dir + "/pipe.bmp";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ExpectRejected(fifo, "not a regular file");

    const std::string locked = Write("locked.bmp", Bytes(BmpFile{}));
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);
    if (geteuid() != 0) ExpectRejected(locked, "permission denied");
}

TEST_F(SheetLoaderTest, DataFileLayerHoldsOneFile)
{
    const std::string a = Write("a.bin", {1, 2, 3});
    const std::string b = Write("b.bin", {9, 8});
    uint32_t got = 7;
    EXPECT_EQ(ReadDataFile(destination.data(), 1, &got), 0);  // nothing open
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(CloseDataFile(), 0);
    EXPECT_EQ(OpenDataFile((dir + "/none").c_str()), -1);
    EXPECT_EQ(DataFileOpenError(), DataFileError::NotFound);
    EXPECT_FALSE(DataFileIsOpen());

    ASSERT_EQ(OpenDataFile(a.c_str()), 0);
    EXPECT_TRUE(DataFileIsOpen());
    // A second open replaces the first handle.
    ASSERT_EQ(OpenDataFile(b.c_str()), 0);
    uint8_t buffer[5] = {7, 7, 7, 7, 7};
    // Reading past the end succeeds and leaves the rest of the buffer.
    EXPECT_NE(ReadDataFile(buffer, 5, &got), 0);
    EXPECT_EQ(got, 2u);
    EXPECT_EQ(buffer[0], 9);
    EXPECT_EQ(buffer[1], 8);
    EXPECT_EQ(buffer[2], 7);
    EXPECT_NE(CloseDataFile(), 0);
    EXPECT_FALSE(DataFileIsOpen());
}

}  // namespace
