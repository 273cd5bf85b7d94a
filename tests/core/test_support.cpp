#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>
#include <vector>

#include "bmp_writer.h"
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
        for (int x = r.x; x < r.x + r.width; ++x) image[x + zelvik::kCanvasWidth * y] = colour;
}

void Paint(uint8_t* image)
{
    std::memset(image, kTestKey, zelvik::kCanvasSize);
    for (int s = 0; s < zelvik::kSheetPanelCount; ++s) Fill(image, zelvik::kSheetPanels[s], SlotColour(s));
    for (int n = 0; n < zelvik::kCaptionCount; ++n) Fill(image, zelvik::CaptionRect(n), CaptionColour(n));
    image[zelvik::kKeyColourOffset] = kTestKey;  // the key colour's home, inside the logo
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

    // Entry i: red i, green 255 - i, blue 7 i (modulo 256).
    std::vector<uint32_t> colours;
    for (uint32_t i = 0; i < 256; ++i) colours.push_back(i << 16 | (255 - i) << 8 | ((i * 7) & 0xFF));
    uint8_t image[zelvik::kCanvasSize];
    Paint(image);
    const std::vector<uint8_t> file = bmp::Encode(bmp::Fields{}, colours, bmp::BottomUp(image));

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
