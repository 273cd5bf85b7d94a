#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "canvas/canvas.h"
#include "canvas/sheet_file.h"
#include "canvas/sprites.h"

using namespace zelvik;

namespace {

class SpriteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZeroCanvasState();
        ResetCanvas();
        ZeroSpriteState();
        // A source image whose every byte tells where it came from.
        image.resize(64000);
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 320; ++x) image[x + 320 * y] = Source(x, y);
    }
    static uint8_t Source(int x, int y) { return static_cast<uint8_t>(1 + (x * 7 + y * 13) % 250); }
    static uint8_t At(int x, int y) { return Canvas[x + 320 * y]; }
    static int CountChanged()
    {
        int n = 0;
        for (uint8_t b : Canvas) n += b != 0;
        return n;
    }
    std::vector<uint8_t> image;
};

TEST_F(SpriteTest, DrawsItsRectangleClippedAtTheEdges)
{
    DefineSprite(0, 92, 7, 127, 39, 0, image.data());
    DrawSprite(0, 20, 30);
    EXPECT_EQ(CountChanged(), 127 * 39);
    EXPECT_EQ(At(20, 30), Source(92, 7));
    EXPECT_EQ(At(58, 156), Source(130, 133));
    EXPECT_EQ(At(19, 30), 0);
    EXPECT_EQ(At(59, 30), 0);

    // Off the left edge: source columns 10-38 land on canvas columns 0-28.
    ZeroCanvasState();
    ResetCanvas();
    DrawSprite(0, -10, 0);
    EXPECT_EQ(CountChanged(), 29 * 127);
    EXPECT_EQ(At(0, 0), Source(102, 7));
    EXPECT_EQ(At(28, 126), Source(130, 133));

    // Off the bottom-right corner: the top-left 20 columns of 10 rows.
    ZeroCanvasState();
    ResetCanvas();
    DrawSprite(0, 300, 190);
    EXPECT_EQ(CountChanged(), 20 * 10);
    EXPECT_EQ(At(300, 190), Source(92, 7));
    EXPECT_EQ(At(319, 199), Source(111, 16));

    // The clip rectangle applies, and far-off positions draw nothing.
    ZeroCanvasState();
    ResetCanvas();
    ClipRect = ClipRectangle{25, 26, 40, 40};
    DrawSprite(0, 20, 30);
    EXPECT_EQ(CountChanged(), 2);
    ResetCanvas();
    DrawSprite(0, INT32_MAX - 5, INT32_MAX - 5);
    DrawSprite(0, INT32_MIN, 0);
    EXPECT_EQ(CountChanged(), 0);
}

TEST_F(SpriteTest, KeyColourIsSkippedAndZeroIsAColour)
{
    image[10 + 320 * 5] = 77;  // the key, inside the rectangle
    image[11 + 320 * 5] = 0;   // black, not the key
    Canvas[1 + 320 * 0] = 200;
    Canvas[2 + 320 * 0] = 200;
    DefineSprite(3, 9, 5, 2, 4, 77 + 256, image.data());  // key keeps its low byte
    EXPECT_EQ(SpriteTable[3].key, 77);
    DrawSprite(3, 0, 0);
    EXPECT_EQ(At(0, 0), Source(9, 5));
    EXPECT_EQ(At(1, 0), 200);  // key: canvas byte left as it was
    EXPECT_EQ(At(2, 0), 0);    // source 0 with key 77 stores 0
    EXPECT_EQ(At(3, 0), Source(12, 5));
    EXPECT_EQ(At(0, 1), Source(9, 6));
}

TEST_F(SpriteTest, RedefiningASlotDrawsTheNewRectangle)
{
    DefineSprite(8, 0, 0, 20, 90, 0, image.data());
    DrawSprite(8, 50, 50);
    EXPECT_EQ(At(50, 50), Source(0, 0));
    DefineSprite(8, 0, 21, 20, 90, 0, image.data());
    DrawSprite(8, 50, 50);
    EXPECT_EQ(At(50, 50), Source(0, 21));
    EXPECT_EQ(At(139, 69), Source(89, 40));
    EXPECT_EQ(SpriteTable[8].srcY, 21);
    EXPECT_EQ(SpriteTable[8].pixels, image.data());
}

TEST_F(SpriteTest, EmptyUndefinedAndInvalidSlotsDrawNothing)
{
    DrawSprite(5, 0, 0);  // never defined
    DefineSprite(1, 0, 0, 0, 10, 0, image.data());
    DrawSprite(1, 0, 0);
    DefineSprite(1, 0, 0, 10, -3, 0, image.data());
    DrawSprite(1, 0, 0);
    // Slot numbers outside the table are ignored, not written.
    DefineSprite(40, 0, 0, 10, 10, 0, image.data());
    DefineSprite(-1, 0, 0, 10, 10, 0, image.data());
    DrawSprite(40, 0, 0);
    DrawSprite(-1, 0, 0);
    // Rectangles that do not lie inside the 320x200 image would read
    // outside it; they draw nothing.
    DefineSprite(2, 300, 0, 10, 21, 0, image.data());
    DrawSprite(2, 0, 0);
    DefineSprite(2, 0, 190, 11, 10, 0, image.data());
    DrawSprite(2, 0, 0);
    DefineSprite(2, -1, 0, 10, 10, 0, image.data());
    DrawSprite(2, 0, 0);
    EXPECT_EQ(CountChanged(), 0);
    // The last row and column of the image are still reachable.
    DefineSprite(2, 300, 190, 10, 20, 0, image.data());
    DrawSprite(2, 0, 0);
    EXPECT_EQ(CountChanged(), 200);
    EXPECT_EQ(At(19, 9), Source(319, 199));
}

}  // namespace
