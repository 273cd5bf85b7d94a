#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "canvas/canvas.h"
#include "canvas/font.h"

using namespace zelvik;

namespace {

using PixelSet = std::set<std::pair<int, int>>;

class FontTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZeroCanvasState();
        ResetCanvas();
    }
    static uint8_t At(int x, int y) { return Canvas[x + 320 * y]; }
    static PixelSet Changed()
    {
        PixelSet result;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 320; ++x)
                if (At(x, y) != 0) result.insert({x, y});
        return result;
    }
    // The pixels of a glyph drawn in a picture of rows ('X' inked), shifted
    // to (x, y).
    static PixelSet Picture(const std::vector<std::string>& rows, int x = 0, int y = 0)
    {
        PixelSet result;
        for (int r = 0; r < static_cast<int>(rows.size()); ++r)
            for (int j = 0; j < static_cast<int>(rows[r].size()); ++j)
                if (rows[r][j] == 'X') result.insert({x + j, y + r});
        return result;
    }
    static PixelSet Glyph(char code, int x = 0, int y = 0)
    {
        ZeroCanvasState();
        ResetCanvas();
        DrawChar(x, y, code);
        return Changed();
    }
};

TEST_F(FontTest, GlyphsMatchTheirPictures)
{
    // 'A': 14 inked pixels, the rest of the cell untouched.
    Canvas[3] = 99;  // an uninked cell pixel keeps its byte
    DrawChar(0, 0, 'A');
    EXPECT_EQ(At(3, 0), 99);
    Canvas[3] = 0;
    const PixelSet a = Picture({".X..", "X.X.", "X.X.", "XXX.", "X.X.", "X.X.", "X.X."});
    EXPECT_EQ(a.size(), 14u);
    EXPECT_EQ(Changed(), a);
    for (const auto& [x, y] : a) EXPECT_EQ(At(x, y), 15);

    EXPECT_EQ(Glyph('0', 10, 20),
              Picture({"XXX", "X.X", "X.X", "X.X", "X.X", "X.X", "XXX"}, 10, 20));
    EXPECT_EQ(Glyph('1', 10, 20),
              Picture({".X..", "XX..", ".X..", ".X..", ".X..", ".X..", "XXX."}, 10, 20));
    // A descender reaches row 7.
    EXPECT_EQ(Glyph('g'),
              Picture({"....", "....", ".XX.", "X.X.", ".XX.", "..X.", "X.X.", ".X.."}));
    // The highest code is drawn too.
    EXPECT_EQ(Glyph(127), Picture({".XX.", "X..X", ".XX.", "X...", ".XX.", "X..X", ".XX."}));
}

TEST_F(FontTest, OnlyDescendersUseTheLastRow)
{
    // Row 7 of a cell is the gap between lines except for these glyphs.
    const std::string withRow7 = "gpqy#$";
    for (int code = 32; code < 128; ++code) {
        const PixelSet pixels = Glyph(static_cast<char>(code), 0, 0);
        bool row7 = false;
        for (const auto& p : pixels) row7 = row7 || p.second == 7;
        EXPECT_EQ(row7, withRow7.find(static_cast<char>(code)) != std::string::npos)
            << "code " << code;
    }
}

TEST_F(FontTest, CodesOutsidePrintableRangeDrawNothing)
{
    for (int code = 0; code < 256; ++code) {
        if (code >= 33 && code <= 127) continue;
        DrawChar(100, 100, static_cast<char>(code));
    }
    EXPECT_TRUE(Changed().empty());  // space included: its glyph is empty
}

TEST_F(FontTest, PositionTestAndClipping)
{
    auto shifted = [](const PixelSet& s, int dx, int maxColumn) {
        PixelSet out;
        for (const auto& p : s)
            if (p.first <= maxColumn) out.insert({p.first + dx, p.second});
        return out;
    };
    const PixelSet m = Glyph('M', 0, 10);
    // At the right edge only the columns on the canvas remain.
    EXPECT_EQ(Glyph('M', 318, 10), shifted(m, 318, 1));
    EXPECT_TRUE(Glyph('M', 320, 10).empty());
    // At the left edge: -3 keeps column 3, -4 and -7 pass the position test
    // but every pixel is clipped.
    EXPECT_EQ(Glyph('#', -3, 10), Picture({"", "", "", "X", "X"}, 0, 10));
    EXPECT_TRUE(Glyph('M', -4, 10).empty());
    EXPECT_TRUE(Glyph('#', -7, 10).empty());
    // At the top only row 7 can show; one row higher the cell is skipped.
    EXPECT_EQ(Glyph('g', 5, -7), Picture({".X.."}, 5, 0));
    EXPECT_TRUE(Glyph('A', 5, -7).empty());
    EXPECT_TRUE(Glyph('g', 5, -8).empty());
    // At the bottom rows beyond 199 are clipped, 200 is skipped.
    EXPECT_EQ(Glyph('A', 0, 199), Picture({".X.."}, 0, 199));
    EXPECT_TRUE(Glyph('A', 0, 200).empty());

    // A narrower clip rectangle applies to glyphs too.
    ZeroCanvasState();
    ResetCanvas();
    ClipRect = ClipRectangle{1, 2, 1, 3};
    DrawChar(0, 0, 'A');
    EXPECT_EQ(Changed(), (PixelSet{{2, 1}, {2, 2}, {1, 3}, {2, 3}}));
}

TEST_F(FontTest, StringsAdvanceFourPixelsPerByte)
{
    DrawString(0, 0, "ab");
    PixelSet expected = Glyph('a', 0, 0);
    for (const auto& p : Glyph('b', 4, 0)) expected.insert(p);
    ZeroCanvasState();
    ResetCanvas();
    DrawString(0, 0, "ab");
    EXPECT_EQ(Changed(), expected);

    // Control codes, high bytes and spaces take their cell without drawing.
    ZeroCanvasState();
    ResetCanvas();
    DrawString(10, 50, "\n\x80 \x01" "b");
    EXPECT_EQ(Changed(), Glyph('b', 26, 50));

    // Characters from column 320 on are skipped; the text stays on its row.
    ZeroCanvasState();
    ResetCanvas();
    DrawString(0, 20, std::string(100, 'H').c_str());
    const PixelSet line = Changed();
    int maxX = 0;
    for (const auto& p : line) {
        maxX = std::max(maxX, p.first);
        EXPECT_TRUE(p.second >= 20 && p.second < 27);
    }
    EXPECT_EQ(maxX, 318);  // 'H' at 316 inks columns 316 and 318
    EXPECT_EQ(line.size(), 80u * Glyph('H').size());

    // A pen that starts far to the right draws nothing and does not overflow.
    ZeroCanvasState();
    ResetCanvas();
    DrawString(INT32_MAX - 4, 0, "HHHH");
    DrawString(INT32_MIN, 0, "HHHH");
    EXPECT_TRUE(Changed().empty());
}

TEST_F(FontTest, TextColourPersistsUntilChanged)
{
    EXPECT_EQ(TextColour, 15);
    SetTextColour(254);
    DrawChar(0, 0, 'I');
    DrawString(0, 10, "I");
    DrawChar(0, 20, 'I');
    for (const auto& p : Changed()) EXPECT_EQ(At(p.first, p.second), 254);
    EXPECT_EQ(TextColour, 254);
    SetTextColour(256 + 7);  // only the low byte is stored in the canvas
    DrawChar(10, 0, 'I');
    EXPECT_EQ(At(10, 0), 7);
}

}  // namespace
