#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "canvas/sprites.h"
#include "driver/random.h"
#include "driver/timeline.h"

namespace zelvik_test {

namespace {

struct Rect {
    int x, y, h, w;
};
constexpr Rect kSlots[8] = {
    {92, 7, 127, 39},  {135, 7, 127, 39}, {176, 7, 127, 39}, {218, 7, 33, 99},
    {218, 43, 33, 99}, {218, 79, 33, 99}, {218, 115, 33, 99}, {161, 151, 49, 159},
};

void Paint(uint8_t* image)
{
    std::memset(image, kTestKey, 64000);
    for (int s = 0; s < 8; ++s)
        for (int y = kSlots[s].y; y < kSlots[s].y + kSlots[s].h; ++y)
            for (int x = kSlots[s].x; x < kSlots[s].x + kSlots[s].w; ++x) image[x + 320 * y] = SlotColour(s);
    for (int n = 0; n < 9; ++n)
        for (int y = 21 * n; y < 21 * n + 20; ++y)
            for (int x = 0; x < 90; ++x) image[x + 320 * y] = CaptionColour(n);
    image[170 + 320 * 155] = kTestKey;  // the key colour's home, inside the logo
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

}  // namespace

std::string WriteTestSheet()
{
    std::string folder = ::testing::TempDir() + "zelvik_sheet_XXXXXX";
    if (mkdtemp(folder.data()) == nullptr) return {};
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

void FillTestSheet() { Paint(zelvik::SpriteSheet); }

void ZeroEverything() { zelvik::ZeroShowState(); }

bool StartShowWithTestSheet(uint32_t seed)
{
    ZeroEverything();
    const std::string sheet = WriteTestSheet();
    if (sheet.empty()) return false;
    // The path is read only while DemoSetup loads the sheet.
    zelvik::SpriteSheetPath = sheet.c_str();
    zelvik::srand(seed);
    zelvik::DemoSetup();
    zelvik::SpriteSheetPath = "scene1.bmp";
    return true;
}

}  // namespace zelvik_test
