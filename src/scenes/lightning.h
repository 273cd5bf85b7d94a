// Pieces of the lightning scene that tests look at on their own.
#pragma once

#include <cstdint>

namespace zelvik {

// The shape of one lightning frame before jitter: the integer centre and,
// per bolt, its flank P1, tip P2 and flank P3.
struct LightningShape {
    int32_t cx;
    int32_t cy;
    int32_t p1x[4], p1y[4];
    int32_t p2x[4], p2y[4];
    int32_t p3x[4], p3y[4];
};
void ComputeLightningShape(uint32_t sceneClock, LightningShape* shape);

}  // namespace zelvik
