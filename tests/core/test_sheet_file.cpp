// Checks the generated picture material: the file's format, the key colour
// and that every place the show cuts a picture from holds one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "canvas/canvas.h"
#include "canvas/sheet_file.h"
#include "canvas/sheet_layout.h"
#include "canvas/sprites.h"

using namespace zelvik;

namespace {

#ifdef ZELVIK_GENERATED_SHEET
constexpr const char* kSheetPath = ZELVIK_GENERATED_SHEET;
#else
constexpr const char* kSheetPath = nullptr;
#endif

uint32_t U32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint32_t U16(const std::vector<uint8_t>& b, size_t at) { return b[at] | (b[at + 1] << 8); }

using Rect = SheetRect;

class GeneratedSheetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (kSheetPath == nullptr) GTEST_SKIP() << "no generated sheet configured";
        std::ifstream in(kSheetPath, std::ios::binary);
        ASSERT_TRUE(in) << kSheetPath;
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        ZeroCanvasState();
        ZeroSpriteState();
    }
    // Top-down pixel as stored in the file.
    uint8_t Pixel(int x, int y) const { return bytes[1078 + 320 * (199 - y) + x]; }
    std::vector<uint8_t> bytes;
};

TEST_F(GeneratedSheetTest, IsAClassic8BitBmp)
{
    ASSERT_EQ(bytes.size(), 1078u + 64000u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(U32(bytes, 2), bytes.size());
    EXPECT_EQ(U32(bytes, 10), 1078u);         // rows straight after the table
    EXPECT_EQ(U32(bytes, 14), 40u);           // info header
    EXPECT_EQ(U32(bytes, 18), 320u);
    EXPECT_EQ(U32(bytes, 22), 200u);          // positive: bottom-up
    EXPECT_EQ(U16(bytes, 26), 1u);
    EXPECT_EQ(U16(bytes, 28), 8u);
    EXPECT_EQ(U32(bytes, 30), 0u);            // uncompressed
    const uint32_t used = U32(bytes, 46);
    EXPECT_TRUE(used == 0 || used == 256) << used;

    // And the show's loader takes it.
    ::testing::internal::CaptureStderr();
    LoadSpriteSheet(kSheetPath, SpriteSheet, 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 320; ++x) ASSERT_EQ(SpriteSheet[x + 320 * y], Pixel(x, y));
}

TEST_F(GeneratedSheetTest, EveryPictureIsThereOnTheKeyColour)
{
    ASSERT_EQ(bytes.size(), 1078u + 64000u);
    const uint8_t key = Pixel(kKeyColourX, kKeyColourY);
    const std::vector<Rect> panels(std::begin(kSheetPanels), std::end(kSheetPanels));
    std::vector<Rect> captions;
    for (int n = 0; n < kCaptionCount; ++n) captions.push_back(CaptionRect(n));

    // A picture pixel is any pixel that is not the key; pictures keep to
    // the entries the show leaves alone (0 ... 127), and the key is none of
    // those, so no visible pixel can be mistaken for it.
    EXPECT_GT(key, 127);
    auto check = [&](const Rect& r, double minimumShare, size_t minimumColours) {
        int visible = 0;
        std::set<uint8_t> colours;
        for (int y = r.y; y < r.y + r.height; ++y)
            for (int x = r.x; x < r.x + r.width; ++x) {
                const uint8_t p = Pixel(x, y);
                if (p == key) continue;
                ++visible;
                colours.insert(p);
                EXPECT_LE(p, 127) << "at " << x << "," << y;
            }
        EXPECT_GE(visible, minimumShare * r.width * r.height) << "rectangle at " << r.x << "," << r.y;
        EXPECT_GE(colours.size(), minimumColours) << "rectangle at " << r.x << "," << r.y;
    };
    // Panels are whole pictures, shaded with many colours, not flat fills.
    for (const Rect& r : panels) check(r, 0.85, 24);
    // Captions are lettering on the key: some ink, an outline and a fill.
    for (const Rect& r : captions) check(r, 0.12, 4);

    // The key colour is the background right around the letters of every
    // caption: its corners are transparent.
    for (const Rect& r : captions) {
        EXPECT_EQ(Pixel(r.x, r.y), key);
        EXPECT_EQ(Pixel(r.x + r.width - 1, r.y + r.height - 1), key);
    }
}

}  // namespace

// The show cuts its sprites from the layout's rectangles; a picture painted
// even one row away from its place would show key-coloured rows (cut as
// transparent) and lose rows of its own.
TEST_F(GeneratedSheetTest, PicturesFillTheirPlacesEdgeToEdge)
{
    ASSERT_EQ(bytes.size(), 1078u + 64000u);
    const uint8_t key = Pixel(kKeyColourX, kKeyColourY);
    std::vector<bool> placed(64000, false);
    auto mark = [&](const Rect& r) {
        for (int y = r.y; y < r.y + r.height; ++y)
            for (int x = r.x; x < r.x + r.width; ++x) placed[x + 320 * y] = true;
    };

    // Wide and tall panels are opaque pictures with rounded frames: the
    // key shows at their four corner pixels and nowhere else.
    for (int slot = 0; slot < kSheetPanelCount; ++slot) {
        const Rect& r = kSheetPanels[slot];
        mark(r);
        if (slot == kLogoSlot) continue;
        const int right = r.x + r.width - 1, bottom = r.y + r.height - 1;
        for (int y = r.y; y <= bottom; ++y)
            for (int x = r.x; x <= right; ++x) {
                const bool corner = (x == r.x || x == right) && (y == r.y || y == bottom);
                ASSERT_EQ(Pixel(x, y) == key, corner) << "slot " << slot << " at " << x << "," << y;
            }
    }

    // The slanted logo has transparent corners, but its picture reaches the
    // top, bottom and left edges of its rectangle (its right-most column is
    // the slant's margin).
    const Rect& logo = kSheetPanels[kLogoSlot];
    int left = 320, right = -1, top = 200, bottom = -1;
    for (int y = logo.y; y < logo.y + logo.height; ++y)
        for (int x = logo.x; x < logo.x + logo.width; ++x)
            if (Pixel(x, y) != key) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    EXPECT_EQ(left, logo.x);
    EXPECT_GE(right, logo.x + logo.width - 2);
    EXPECT_EQ(top, logo.y);
    EXPECT_EQ(bottom, logo.y + logo.height - 1);

    // Nothing is painted outside the places the show cuts from.
    for (int n = 0; n < kCaptionCount; ++n) mark(CaptionRect(n));
    int stray = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 320; ++x) stray += !placed[x + 320 * y] && Pixel(x, y) != key;
    EXPECT_EQ(stray, 0);
}
