// RLE8 data for the 320 x 200 bottom-up rows of a sheet, as common encoders
// write it: runs of three or more as encoded runs, other stretches as
// absolute blocks padded to an even length, an end-of-line after each row
// but the last, then end-of-bitmap. Used by the loader's tests and the
// fuzzers' seeds.
#pragma once

#include <cstdint>
#include <vector>

namespace zelvik::testing {

inline std::vector<uint8_t> EncodeRle8(const uint8_t* rows)
{
    std::vector<uint8_t> out;
    auto runAt = [](const uint8_t* row, int x) {
        int n = 1;
        while (x + n < 320 && n < 255 && row[x + n] == row[x]) ++n;
        return n;
    };
    for (int s = 0; s < 200; ++s) {
        const uint8_t* row = rows + 320 * s;
        int x = 0;
        while (x < 320) {
            const int run = runAt(row, x);
            if (run >= 3) {
                out.push_back(static_cast<uint8_t>(run));
                out.push_back(row[x]);
                x += run;
                continue;
            }
            int end = x;
            while (end < 320 && end - x < 255 && runAt(row, end) < 3) ++end;
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
        if (s < 199) out.insert(out.end(), {0, 0});
    }
    out.insert(out.end(), {0, 1});
    return out;
}

}  // namespace zelvik::testing
