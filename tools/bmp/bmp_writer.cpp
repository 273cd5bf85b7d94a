#include "bmp_writer.h"

#include <algorithm>

namespace bmp {

static constexpr int kWidth = zelvik::kCanvasWidth;
static constexpr int kHeight = zelvik::kCanvasHeight;

void Put16(std::vector<uint8_t>& file, size_t at, uint32_t value)
{
    if (at + 2 > file.size()) return;
    file[at] = static_cast<uint8_t>(value);
    file[at + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(std::vector<uint8_t>& file, size_t at, uint32_t value)
{
    if (at + 4 > file.size()) return;
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

std::vector<uint8_t> Encode(const Fields& f, const std::vector<uint32_t>& colours,
                            const std::vector<uint8_t>& rows, uint8_t fill)
{
    const uint32_t rowOffset = f.RowOffset();
    std::vector<uint8_t> b(std::max<size_t>(rowOffset, kClassicTableAt) + rows.size(), fill);
    b[0] = static_cast<uint8_t>(f.signature[0]);
    b[1] = static_cast<uint8_t>(f.signature[1]);
    Put32(b, kFileSizeAt, static_cast<uint32_t>(b.size()));
    Put32(b, 6, 0);
    Put32(b, kRowOffsetAt, rowOffset);
    Put32(b, kInfoSizeAt, f.infoSize);
    Put32(b, kWidthAt, static_cast<uint32_t>(f.width));
    Put32(b, kHeightAt, static_cast<uint32_t>(f.height));
    Put16(b, kPlanesAt, f.planes);
    Put16(b, kBitCountAt, f.bitCount);
    Put32(b, kCompressionAt, f.compression);
    Put32(b, kImageSizeAt, f.imageSize);
    Put32(b, 38, f.pixelsPerMetre);
    Put32(b, 42, f.pixelsPerMetre);
    Put32(b, kColoursUsedAt, f.coloursUsed);
    Put32(b, 50, 0);
    // Blue, green, red, 0 per entry; never over the 40 bytes of fields
    // written above (a smaller info header claimed) nor into the rows.
    for (uint32_t k = 0; k < f.Entries(); ++k) {
        const size_t at = f.TableOffset() + 4 * size_t{k};
        if (at + 4 > rowOffset) break;
        if (at < kClassicTableAt) continue;
        const uint32_t c = k < colours.size() ? colours[k] : 0;
        b[at] = static_cast<uint8_t>(c);
        b[at + 1] = static_cast<uint8_t>(c >> 8);
        b[at + 2] = static_cast<uint8_t>(c >> 16);
        b[at + 3] = 0;
    }
    std::copy(rows.begin(), rows.end(), b.begin() + static_cast<long>(b.size() - rows.size()));
    return b;
}

std::vector<uint8_t> BottomUp(const uint8_t* topDown)
{
    std::vector<uint8_t> rows;
    rows.reserve(zelvik::kCanvasSize);
    for (int y = kHeight - 1; y >= 0; --y) rows.insert(rows.end(), topDown + kWidth * y, topDown + kWidth * (y + 1));
    return rows;
}

std::vector<uint8_t> EncodeRle8(const uint8_t* rows)
{
    std::vector<uint8_t> out;
    auto runAt = [](const uint8_t* row, int x) {
        int n = 1;
        while (x + n < kWidth && n < 255 && row[x + n] == row[x]) ++n;
        return n;
    };
    for (int s = 0; s < kHeight; ++s) {
        const uint8_t* row = rows + kWidth * s;
        int x = 0;
        while (x < kWidth) {
            const int run = runAt(row, x);
            if (run >= 3) {
                out.push_back(static_cast<uint8_t>(run));
                out.push_back(row[x]);
                x += run;
                continue;
            }
            int end = x;
            while (end < kWidth && end - x < 255 && runAt(row, end) < 3) ++end;
            const int n = end - x;
            if (n < 3) {
                for (int i = 0; i < n; ++i) {
                    out.push_back(1);
                    out.push_back(row[x + i]);
                }
            } else {
                out.push_back(0);
                out.push_back(static_cast<uint8_t>(n));
                out.insert(out.end(), row + x, row + end);
                if (n & 1) out.push_back(0);
            }
            x = end;
        }
        if (s < kHeight - 1) out.insert(out.end(), {0, 0});
    }
    out.insert(out.end(), {0, 1});
    return out;
}

}  // namespace bmp
