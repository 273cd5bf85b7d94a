// The torus model and its projection, for tests.
#pragma once

#include <cstdint>

namespace zelvik {

struct TorusVertex {
    int32_t x;
    int32_t y;
    int32_t z;
};
struct TorusEdge {
    int32_t first;
    int32_t second;
};
struct TorusPoint {
    int32_t x;
    int32_t y;
};
inline constexpr int32_t kTorusVertexCapacity = 5000;
inline constexpr int32_t kTorusEdgeCapacity = 8000;
extern TorusVertex TorusVertices[kTorusVertexCapacity];
extern int32_t TorusVertexCount;
extern TorusEdge TorusEdges[kTorusEdgeCapacity];
extern int32_t TorusEdgeCount;
extern TorusPoint TorusScreen[kTorusVertexCapacity];
extern float TorusDepth[kTorusVertexCapacity];
void AddTorusVertex(int32_t x, int32_t y, int32_t z);
void AddTorusEdge(int32_t first, int32_t second);

}  // namespace zelvik
