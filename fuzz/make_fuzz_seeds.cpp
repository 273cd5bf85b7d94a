// Writes the fuzzers' seed files: the build's own sprite sheet and
// soundtrack, small modules written on the spot, and broken variants of
// each that stop at a different check of the loaders (cut short, wrong
// depth, moved or impossible offsets, absurd counts, empty).
//
// Usage: make_fuzz_seeds SHEET.bmp MUSIC.xm OUTPUT-FOLDER
// Writes OUTPUT-FOLDER/sheet/* and OUTPUT-FOLDER/module/*.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <vector>

#include "bmp_writer.h"
#include "xm_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

bool Failed = false;

Bytes ReadFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "make_fuzz_seeds: cannot read %s\n", path);
        Failed = true;
        return {};
    }
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void Write(const fs::path& folder, const std::string& name, const Bytes& bytes)
{
    std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "make_fuzz_seeds: cannot write %s\n", (folder / name).c_str());
        Failed = true;
    }
}

using bmp::Put16;
using bmp::Put32;

uint32_t Get16(const Bytes& b, size_t at)
{
    return at + 2 <= b.size() ? b[at] | (b[at + 1] << 8) : 0;
}

uint32_t Get32(const Bytes& b, size_t at)
{
    return at + 4 <= b.size() ? Get16(b, at) | (Get16(b, at + 2) << 16) : 0;
}

Bytes Cut(const Bytes& b, size_t size)
{
    return Bytes(b.begin(), b.begin() + static_cast<long>(std::min(size, b.size())));
}

// --- Sprite sheets ------------------------------------------------------------
// The build's sheet is a classic file (bmp::Fields with every colour counted
// as used); the variants are written by the same writer with other fields,
// or are the sheet's bytes with one field changed.

// The build's sheet, taken apart into what the writer needs again.
struct Sheet {
    bmp::Fields fields;
    std::vector<uint32_t> colours;
    Bytes rows;  // bottom-up, as stored
};

Sheet TakeApart(const Bytes& good)
{
    Sheet sheet;
    sheet.fields.coloursUsed = Get32(good, bmp::kColoursUsedAt);
    for (size_t at = bmp::kClassicTableAt; at < 1078; at += 4)
        sheet.colours.push_back(good[at] | good[at + 1] << 8 | good[at + 2] << 16);
    sheet.rows.assign(good.begin() + 1078, good.begin() + 1078 + 64000);
    return sheet;
}

// The sheet with `body` as its pixel data.
Bytes WithBody(const Sheet& sheet, uint32_t compression, const Bytes& body)
{
    bmp::Fields fields = sheet.fields;
    fields.compression = compression;
    fields.imageSize = static_cast<uint32_t>(body.size());
    return bmp::Encode(fields, sheet.colours, body);
}

// Top-down and RLE8 files of the same picture, RLE8 data broken in each way
// the decoder must survive, and an OS/2 file.
void WriteOtherLayouts(const Sheet& sheet, const fs::path& folder)
{
    const uint8_t* rows = sheet.rows.data();
    {
        bmp::Fields topDown = sheet.fields;
        topDown.height = -topDown.height;
        Bytes flipped;
        for (int s = 199; s >= 0; --s) flipped.insert(flipped.end(), rows + 320 * s, rows + 320 * (s + 1));
        Write(folder, "top-down.bmp", bmp::Encode(topDown, sheet.colours, flipped));
    }
    const Bytes rle = bmp::EncodeRle8(rows);
    Write(folder, "rle8.bmp", WithBody(sheet, bmp::kRle8, rle));
    Write(folder, "rle8-cut-half.bmp", WithBody(sheet, bmp::kRle8, Cut(rle, rle.size() / 2)));
    Write(folder, "rle8-no-end.bmp", WithBody(sheet, bmp::kRle8, Cut(rle, rle.size() - 2)));
    Write(folder, "rle8-top-down.bmp", [&] {
        Bytes b = WithBody(sheet, bmp::kRle8, rle);
        Put32(b, bmp::kHeightAt, static_cast<uint32_t>(-200));
        return b;
    }());
    // Runs and absolute blocks past the row's end, deltas past the picture,
    // rows past the top, an absolute block longer than the data.
    Write(folder, "rle8-wide-runs.bmp",
          WithBody(sheet, bmp::kRle8, {0, 2, 200, 0, 255, 7, 255, 8, 0, 255, 1, 2, 3, 0, 0, 0, 1}));
    {
        Bytes body;
        for (int s = 0; s < 205; ++s) body.insert(body.end(), {0, 0});
        body.insert(body.end(), {9, 9, 0, 2, 255, 255, 0, 2, 255, 255, 3, 4, 0, 1});
        Write(folder, "rle8-past-top.bmp", WithBody(sheet, bmp::kRle8, body));
    }
    Write(folder, "rle8-absolute-past-end.bmp", WithBody(sheet, bmp::kRle8, {4, 4, 0, 200, 1, 2, 3}));
    Write(folder, "rle8-lone-escape.bmp", WithBody(sheet, bmp::kRle8, {0}));
    Write(folder, "rle8-delta-cut.bmp", WithBody(sheet, bmp::kRle8, {0, 2, 5}));
    {
        // 12-byte OS/2 header: 16-bit width and height, 3-byte table entries.
        // Not a Windows BMP, which is all the writer makes.
        Bytes b = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        Bytes core = {12, 0, 0, 0, 0x40, 0x01, 0xC8, 0x00, 1, 0, 8, 0};
        b.insert(b.end(), core.begin(), core.end());
        for (uint32_t c : sheet.colours) b.insert(b.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
        Put32(b, bmp::kRowOffsetAt, static_cast<uint32_t>(b.size()));
        b.insert(b.end(), rows, rows + 64000);
        Put32(b, bmp::kFileSizeAt, static_cast<uint32_t>(b.size()));
        Write(folder, "os2-core-header.bmp", b);
    }
}

void WriteSheets(const Bytes& good, const fs::path& folder)
{
    Write(folder, "valid.bmp", good);
    if (good.size() < 1078) return;

    Write(folder, "empty.bmp", {});
    for (size_t cut : {size_t{1}, size_t{13}, size_t{14}, size_t{30}, size_t{54}, size_t{600}, size_t{1078},
                       size_t{33078}, good.size() - 1})
        Write(folder, "cut-" + std::to_string(cut) + ".bmp", Cut(good, cut));

    auto variant = [&](const std::string& name, auto change) {
        Bytes b = good;
        change(b);
        Write(folder, name, b);
    };
    variant("magic-BA.bmp", [](Bytes& b) { b[1] = 'A'; });
    variant("top-down-unflipped.bmp", [](Bytes& b) { Put32(b, bmp::kHeightAt, static_cast<uint32_t>(-200)); });
    variant("width-321.bmp", [](Bytes& b) { Put32(b, bmp::kWidthAt, 321); });
    variant("height-199.bmp", [](Bytes& b) { Put32(b, bmp::kHeightAt, 199); });
    for (uint32_t bits : {1u, 4u, 24u, 32u})
        variant("bits-" + std::to_string(bits) + ".bmp", [bits](Bytes& b) { Put16(b, bmp::kBitCountAt, bits); });
    variant("rle8-flag-on-raw-rows.bmp", [](Bytes& b) { Put32(b, bmp::kCompressionAt, bmp::kRle8); });
    variant("rle4.bmp", [](Bytes& b) { Put32(b, bmp::kCompressionAt, 2); });
    variant("planes-0.bmp", [](Bytes& b) { Put16(b, bmp::kPlanesAt, 0); });
    variant("info-size-12.bmp", [](Bytes& b) { Put32(b, bmp::kInfoSizeAt, 12); });
    variant("info-size-huge.bmp", [](Bytes& b) { Put32(b, bmp::kInfoSizeAt, 0xFFFFFFFFu); });
    variant("colours-used-huge.bmp", [](Bytes& b) { Put32(b, bmp::kColoursUsedAt, 0xFFFFFFFFu); });
    variant("colours-used-257.bmp", [](Bytes& b) { Put32(b, bmp::kColoursUsedAt, 257); });
    variant("row-offset-0.bmp", [](Bytes& b) { Put32(b, bmp::kRowOffsetAt, 0); });
    variant("row-offset-huge.bmp", [](Bytes& b) { Put32(b, bmp::kRowOffsetAt, 0xFFFFFFFFu); });
    variant("row-offset-65537.bmp", [](Bytes& b) { Put32(b, bmp::kRowOffsetAt, 65537); });
    variant("row-offset-past-end.bmp", [](Bytes& b) { Put32(b, bmp::kRowOffsetAt, 60000); });
    variant("trailing-bytes.bmp", [](Bytes& b) { b.insert(b.end(), 5000, 0xAB); });

    if (good.size() < 1078 + 64000) return;
    const Sheet sheet = TakeApart(good);
    // Valid files of other layouts: a 124-byte info header with the table
    // after it, and a 16-colour table with a gap before the rows.
    {
        bmp::Fields fields = sheet.fields;
        fields.infoSize = 124;
        Write(folder, "info-header-124.bmp", bmp::Encode(fields, sheet.colours, sheet.rows));
    }
    {
        bmp::Fields fields = sheet.fields;
        fields.coloursUsed = 16;
        fields.rowOffset = bmp::kClassicTableAt + 16 * 4 + 100;
        Write(folder, "sixteen-colours-and-gap.bmp", bmp::Encode(fields, sheet.colours, sheet.rows));
    }
    WriteOtherLayouts(sheet, folder);
}

// --- Modules -------------------------------------------------------------------
// XM header: 58 version, 60 header size (from 60), 64 song length,
// 66 restart, 68 channels, 70 patterns, 72 instruments, 76 speed, 78 BPM,
// 80 order table. Patterns start at 60 + header size: 0 header length,
// 4 packing, 5 rows, 7 packed size. Then the instruments: 0 size,
// 27 sample count, 29 sample header size; sample headers (40 bytes):
// 0 length, 4 loop start, 8 loop length, 14 type, 17 reserved (0xAD:
// 4-bit packed).

std::vector<int16_t> Tone(int length, double period, double amplitude)
{
    std::vector<int16_t> s;
    for (int i = 0; i < length; ++i)
        s.push_back(static_cast<int16_t>(std::lround(amplitude * std::sin(2.0 * std::numbers::pi * i / period))));
    return s;
}

Bytes Serialise(const makemusic::Module& m)
{
    Bytes bytes;
    std::string error;
    if (!makemusic::WriteXm(m, &bytes, &error)) {
        std::fprintf(stderr, "make_fuzz_seeds: %s\n", error.c_str());
        Failed = true;
    }
    return bytes;
}

// Two channels, one looping sine, one pattern.
Bytes TinyModule()
{
    makemusic::Module m;
    m.name = "tiny";
    m.channels = 2;
    makemusic::Instrument tone;
    tone.name = "sine";
    tone.sample = Tone(256, 64.0, 20000.0);
    tone.loop = true;
    tone.loopLength = 256;
    tone.volumeEnvelope.points = {{0, 64}, {10, 64}};
    tone.volumeEnvelope.sustain = 1;
    m.instruments.push_back(tone);
    makemusic::Pattern p;
    p.rows = 16;
    p.cells.resize(32);
    p.cells[0] = {49, 1, 0x50, makemusic::kEffectSetPanning, 0x00};
    p.cells[1] = {61, 1, 0x50, makemusic::kEffectSetPanning, 0xFF};
    m.patterns.push_back(p);
    m.orders = {0};
    return Serialise(m);
}

// Four channels, three instruments with envelopes, vibrato and fades,
// three patterns with notes, key-offs, volume and tempo changes.
Bytes SmallSong()
{
    makemusic::Module m;
    m.name = "small song";
    m.channels = 4;
    m.speed = 3;
    m.bpm = 140;
    m.restartPosition = 1;
    for (int i = 0; i < 3; ++i) {
        makemusic::Instrument in;
        in.name = "voice " + std::to_string(i);
        in.sample = Tone(300 + 100 * i, 20.0 + 13 * i, 12000.0);
        in.loop = i != 2;
        in.loopStart = 50;
        in.loopLength = 200;
        in.relativeNote = static_cast<int8_t>(i * 5 - 5);
        in.finetune = static_cast<int8_t>(i * 20 - 20);
        in.volumeEnvelope.points = {{0, 0}, {4, 64}, {20, 40}, {60, 0}};
        in.volumeEnvelope.sustain = i == 1 ? 2 : -1;
        in.vibratoType = static_cast<uint8_t>(i);
        in.vibratoDepth = 4;
        in.vibratoRate = 10;
        in.fadeout = static_cast<uint16_t>(200 * i);
        m.instruments.push_back(in);
    }
    for (int pi = 0; pi < 3; ++pi) {
        makemusic::Pattern p;
        p.rows = 8 + 8 * pi;
        p.cells.resize(static_cast<size_t>(p.rows) * 4);
        for (int row = 0; row < p.rows; row += 2) {
            const int channel = (row / 2 + pi) % 4;
            makemusic::Cell& c = p.cells[static_cast<size_t>(row) * 4 + static_cast<size_t>(channel)];
            c.note = static_cast<uint8_t>(37 + (row * 7 + pi * 3) % 36);
            c.instrument = static_cast<uint8_t>(1 + (row + pi) % 3);
            c.volume = static_cast<uint8_t>(0x10 + 20 + row);
        }
        p.cells[4 * 3 + 1] = {makemusic::kKeyOff, 0, 0, 0, 0};
        p.cells[2] = {0, 0, 0, makemusic::kEffectSetTempo, static_cast<uint8_t>(2 + pi)};
        m.patterns.push_back(p);
    }
    m.orders = {0, 1, 2, 1};
    return Serialise(m);
}

// A four-channel ProTracker module: 31 empty sample slots but one, one
// pattern of one note, so that a second loader of the library is seeded.
Bytes TinyMod()
{
    Bytes b(20 + 31 * 30 + 2 + 128 + 4 + 1024 + 64, 0);
    std::memcpy(b.data(), "tiny mod", 8);
    uint8_t* sample = b.data() + 20;
    std::memcpy(sample, "square", 6);
    sample[22] = 0;  // length in words, big-endian: 32 words
    sample[23] = 32;
    sample[25] = 64;  // volume
    sample[29] = 1;   // loop length 1 word: no loop
    b[950] = 1;       // song length
    b[951] = 127;
    std::memcpy(b.data() + 1080, "M.K.", 4);
    uint8_t* cell = b.data() + 1084;
    cell[0] = 0x00;  // sample 1, period 428 (C-2)
    cell[1] = 0xAC;
    cell[2] = 0x10;
    for (size_t i = 0; i < 64; ++i) b[1084 + 1024 + i] = i < 32 ? 0x60 : 0xA0;
    return b;
}

// Where the first pattern header lies, and the first instrument header.
size_t FirstPattern(const Bytes& xm) { return 60 + Get32(xm, 60); }

size_t FirstInstrument(const Bytes& xm)
{
    size_t pos = FirstPattern(xm);
    for (uint32_t p = 0, n = Get16(xm, 70); p < n && pos + 9 <= xm.size(); ++p)
        pos += Get32(xm, pos) + Get16(xm, pos + 7);
    return pos;
}

void WriteModules(const Bytes& demo, const fs::path& folder)
{
    const Bytes tiny = TinyModule();
    const Bytes song = SmallSong();
    Write(folder, "demo.xm", demo);
    Write(folder, "tiny.xm", tiny);
    Write(folder, "small-song.xm", song);
    Write(folder, "tiny.mod", TinyMod());
    Write(folder, "empty.xm", {});
    Write(folder, "text.xm", Bytes{'n', 'o', 't', ' ', 'm', 'u', 's', 'i', 'c', '\n'});

    auto variant = [&](const std::string& name, auto change) {
        Bytes b = song;
        change(b);
        Write(folder, name, b);
    };
    for (uint32_t channels : {0u, 1u, 33u, 255u, 0xFFFFu})
        variant("channels-" + std::to_string(channels) + ".xm", [channels](Bytes& b) { Put16(b, 68, channels); });
    variant("song-length-0.xm", [](Bytes& b) { Put16(b, 64, 0); });
    variant("song-length-300.xm", [](Bytes& b) { Put16(b, 64, 300); });
    variant("restart-past-end.xm", [](Bytes& b) { Put16(b, 66, 200); });
    variant("patterns-300.xm", [](Bytes& b) { Put16(b, 70, 300); });
    variant("instruments-200.xm", [](Bytes& b) { Put16(b, 72, 200); });
    variant("order-past-patterns.xm", [](Bytes& b) { b[81] = 77; });
    variant("speed-0-bpm-0.xm", [](Bytes& b) { Put16(b, 76, 0); Put16(b, 78, 0); });
    variant("header-size-0.xm", [](Bytes& b) { Put32(b, 60, 0); });
    variant("header-size-huge.xm", [](Bytes& b) { Put32(b, 60, 0xFFFFFFF0u); });
    variant("version-0103.xm", [](Bytes& b) { Put16(b, 58, 0x0103); });
    const size_t pattern = FirstPattern(song);
    variant("pattern-header-0.xm", [pattern](Bytes& b) { Put32(b, pattern, 0); });
    variant("pattern-rows-0.xm", [pattern](Bytes& b) { Put16(b, pattern + 5, 0); });
    variant("pattern-rows-1000.xm", [pattern](Bytes& b) { Put16(b, pattern + 5, 1000); });
    variant("pattern-size-huge.xm", [pattern](Bytes& b) { Put16(b, pattern + 7, 0xFFFF); });
    variant("pattern-data-garbage.xm", [pattern](Bytes& b) {
        for (size_t i = pattern + 9; i < pattern + 9 + Get16(b, pattern + 7) && i < b.size(); ++i)
            b[i] = static_cast<uint8_t>(0x80 | (i * 37));
    });
    const size_t instrument = FirstInstrument(song);
    const size_t sampleHeader = instrument + Get32(song, instrument);
    variant("instrument-size-0.xm", [instrument](Bytes& b) { Put32(b, instrument, 0); });
    variant("samples-300.xm", [instrument](Bytes& b) { Put16(b, instrument + 27, 300); });
    variant("sample-header-size-0.xm", [instrument](Bytes& b) { Put32(b, instrument + 29, 0); });
    variant("sample-length-huge.xm", [sampleHeader](Bytes& b) { Put32(b, sampleHeader, 0xFFFFFFF0u); });
    variant("sample-loop-past-end.xm", [sampleHeader](Bytes& b) {
        Put32(b, sampleHeader + 4, 0x7FFFFFF0u);
        Put32(b, sampleHeader + 8, 0x7FFFFFF0u);
    });
    variant("sample-packed-4-bit.xm", [sampleHeader](Bytes& b) {
        b[sampleHeader + 14] &= static_cast<uint8_t>(~0x10);
        b[sampleHeader + 17] = 0xAD;
    });
    variant("sample-type-8-bit.xm", [sampleHeader](Bytes& b) { b[sampleHeader + 14] &= static_cast<uint8_t>(~0x10); });
    for (size_t cut : {size_t{17}, size_t{60}, size_t{80}, size_t{200}, pattern + 5, pattern + 20, instrument + 10,
                       instrument + 40, sampleHeader + 20, song.size() - 1})
        Write(folder, "cut-" + std::to_string(cut) + ".xm", Cut(song, cut));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "Usage: make_fuzz_seeds SHEET.bmp MUSIC.xm OUTPUT-FOLDER\n");
        return 2;
    }
    const fs::path out = argv[3];
    std::error_code error;
    fs::create_directories(out / "sheet", error);
    fs::create_directories(out / "module", error);
    if (error) {
        std::fprintf(stderr, "make_fuzz_seeds: cannot create %s: %s\n", out.c_str(), error.message().c_str());
        return 1;
    }
    WriteSheets(ReadFile(argv[1]), out / "sheet");
    WriteModules(ReadFile(argv[2]), out / "module");
    return Failed ? 1 : 0;
}
