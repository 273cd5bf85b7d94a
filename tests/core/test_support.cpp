#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>
#include <vector>

#include "canvas/sheet_layout.h"
#include "canvas/sprites.h"
#include "driver/random.h"
#include "show/setup.h"
#include "show/timeline.h"

namespace zelvik_test {

namespace {

void Fill(uint8_t* image, const zelvik::SheetRect& r, uint8_t colour)
{
    for (int y = r.y; y < r.y + r.height; ++y)
        for (int x = r.x; x < r.x + r.width; ++x) image[x + 320 * y] = colour;
}

void Paint(uint8_t* image)
{
    std::memset(image, kTestKey, 64000);
    for (int s = 0; s < zelvik::kSheetPanelCount; ++s) Fill(image, zelvik::kSheetPanels[s], SlotColour(s));
    for (int n = 0; n < zelvik::kCaptionCount; ++n) Fill(image, zelvik::CaptionRect(n), CaptionColour(n));
    image[zelvik::kKeyColourOffset] = kTestKey;  // the key colour's home, inside the logo
}

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}

// A new folder whose name starts with `prefix`, "" on failure. A name
// already taken (another test process) is passed over for the next one.
std::string MakeFreshFolder(const std::string& prefix)
{
    std::random_device entropy;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string folder = prefix + std::to_string(entropy());
        std::error_code error;
        if (std::filesystem::create_directory(folder, error)) return folder;
        if (error) return {};
    }
    return {};
}

}  // namespace

std::string WriteTestSheet()
{
    const std::string folder = MakeFreshFolder(::testing::TempDir() + "zelvik_sheet_");
    if (folder.empty()) return {};
    const std::string path = folder + "/scene1.bmp";

    std::vector<uint8_t> file(1078 + 64000, 0);
    file[0] = 'B';
    file[1] = 'M';
    Put32(file, 2, static_cast<uint32_t>(file.size()));
    Put32(file, 10, 1078);
    Put32(file, 14, 40);
    Put32(file, 18, 320);
    Put32(file, 22, 200);
    Put16(file, 26, 1);
    Put16(file, 28, 8);
    for (int i = 0; i < 256; ++i) {  // blue, green, red, reserved
        file[54 + 4 * i] = static_cast<uint8_t>((i * 7) & 0xFF);
        file[54 + 4 * i + 1] = static_cast<uint8_t>(255 - i);
        file[54 + 4 * i + 2] = static_cast<uint8_t>(i);
    }
    uint8_t image[64000];
    Paint(image);
    for (int r = 0; r < 200; ++r)  // bottom row first
        std::memcpy(&file[1078 + 320 * static_cast<size_t>(r)], image + 320 * (199 - r), 320);

    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return {};
    std::fwrite(file.data(), 1, file.size(), out);
    std::fclose(out);
    return path;
}

const zelvik::ScriptRow& ScriptRowNamed(const char* name)
{
    for (const zelvik::ScriptRow& row : zelvik::kScript)
        if (std::strcmp(row.name, name) == 0) return row;
    ADD_FAILURE() << "the script has no row named \"" << name << "\"";
    return zelvik::kScript[0];
}

void FillTestSheet() { Paint(zelvik::SpriteSheet); }

void ZeroEverything() { zelvik::ZeroShowState(); }

bool StartShowWithTestSheet(uint32_t seed)
{
    const std::string sheet = WriteTestSheet();
    if (sheet.empty()) return false;
    zelvik::StartShow(seed, sheet.c_str());
    return true;
}

}  // namespace zelvik_test
