// Placeholder until the torus scene lands.
#include "scenes/scenes.h"

namespace zelvik {

TorusVertex TorusVertices[kTorusVertexCapacity];
int32_t TorusVertexCount;
TorusEdge TorusEdges[kTorusEdgeCapacity];
int32_t TorusEdgeCount;
TorusPoint TorusScreen[kTorusVertexCapacity];
float TorusDepth[kTorusVertexCapacity];

void AddTorusVertex(int32_t, int32_t, int32_t) {}
void AddTorusEdge(int32_t, int32_t) {}
void BuildTorus() {}
void DrawTorus(int32_t) {}
void ZeroTorusState() {}

}  // namespace zelvik
