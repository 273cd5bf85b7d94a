#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <utility>

#include "canvas/canvas.h"
#include "driver/clock.h"
#include "scenes/scenes.h"
#include "scenes/torus.h"

using namespace zelvik;

namespace {

class TorusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZeroCanvasState();
        ZeroSceneState();
        ResetCanvas();
        SceneClock = 0;
        BuildTorus();
    }
    static uint8_t At(int x, int y) { return Canvas[x + 320 * y]; }
    static void ExpectVertex(int i, int x, int y, int z)
    {
        EXPECT_EQ(TorusVertices[i].x, x) << "vertex " << i;
        EXPECT_EQ(TorusVertices[i].y, y) << "vertex " << i;
        EXPECT_EQ(TorusVertices[i].z, z) << "vertex " << i;
    }
    static void ExpectEdge(int e, int first, int second)
    {
        EXPECT_EQ(TorusEdges[e].first, first) << "edge " << e;
        EXPECT_EQ(TorusEdges[e].second, second) << "edge " << e;
    }
    static void ExpectProjected(int i, int x, int y, float depth, float tolerance)
    {
        EXPECT_EQ(TorusScreen[i].x, x) << "vertex " << i;
        EXPECT_EQ(TorusScreen[i].y, y) << "vertex " << i;
        EXPECT_NEAR(TorusDepth[i], depth, tolerance) << "vertex " << i;
    }
    // Keeps only the given edges, so their lines can be read off the canvas.
    static void KeepEdges(std::initializer_list<std::pair<int, int>> edges)
    {
        TorusEdgeCount = 0;
        for (auto [a, b] : edges) AddTorusEdge(a, b);
    }
};

TEST_F(TorusTest, ModelHasItsVerticesAndBounds)
{
    ASSERT_EQ(TorusVertexCount, 600);
    ExpectVertex(0, 150, 0, 0);
    ExpectVertex(1, 147, 0, 15);
    ExpectVertex(5, 100, 0, 49);
    ExpectVertex(10, 50, 0, 0);
    ExpectVertex(15, 99, 0, -49);
    ExpectVertex(20, 153, 32, 0);
    int maxX = 0, maxY = 0, maxZ = 0;
    for (int i = 0; i < TorusVertexCount; ++i) {
        maxX = std::max(maxX, std::abs(TorusVertices[i].x));
        maxY = std::max(maxY, std::abs(TorusVertices[i].y));
        maxZ = std::max(maxZ, std::abs(TorusVertices[i].z));
    }
    EXPECT_EQ(maxX, 154);
    EXPECT_EQ(maxY, 153);
    EXPECT_EQ(maxZ, 59);
}

TEST_F(TorusTest, ModelHasItsEdgesEachVertexOnFour)
{
    ASSERT_EQ(TorusEdgeCount, 1200);
    ExpectEdge(0, 0, 20);
    ExpectEdge(29, 580, 0);
    ExpectEdge(30, 1, 21);
    ExpectEdge(600, 0, 1);
    ExpectEdge(619, 19, 0);
    ExpectEdge(1199, 599, 580);
    int uses[600] = {};
    for (int e = 0; e < TorusEdgeCount; ++e) {
        ASSERT_NE(TorusEdges[e].first, TorusEdges[e].second) << e;
        ++uses[TorusEdges[e].first];
        ++uses[TorusEdges[e].second];
    }
    for (int i = 0; i < 600; ++i) ASSERT_EQ(uses[i], 4) << i;
}

TEST_F(TorusTest, BuildingAgainStartsFromEmptyLists)
{
    AddTorusVertex(1, 2, 3);
    AddTorusEdge(600, 0);
    BuildTorus();
    EXPECT_EQ(TorusVertexCount, 600);
    EXPECT_EQ(TorusEdgeCount, 1200);
    ExpectVertex(0, 150, 0, 0);
}

TEST_F(TorusTest, ProjectionAtClockZeroIsTheIdentityRotation)
{
    DrawTorus(0);
    ExpectProjected(0, 270, 100, 180.0f, 0.0f);
    ExpectProjected(5, 228, 100, 229.0f, 0.0f);
    ExpectProjected(300, 50, 100, 180.0f, 0.0f);
}

TEST_F(TorusTest, ProjectionAtClocksHundredAndSevenSixtyFive)
{
    SceneClock = 100;
    DrawTorus(0);
    ExpectProjected(0, 184, 209, 168.807f, 0.001f);
    SceneClock = 765;
    DrawTorus(10);
    ExpectProjected(0, 64, 74, 224.838f, 0.001f);
    // Every vertex of the model stays within the stated depths.
    for (uint32_t clock : {0u, 100u, 765u, 2299u, 3069u}) {
        SceneClock = clock;
        DrawTorus(0);
        for (int i = 0; i < TorusVertexCount; ++i) {
            ASSERT_GT(TorusDepth[i], 20.0f) << clock << " " << i;
            ASSERT_LT(TorusDepth[i], 340.0f) << clock << " " << i;
        }
    }
}

TEST_F(TorusTest, ProjectionsNextToATruncationStep)
{
    // Vertices that land within a hair of a whole pixel at these clocks,
    // where taking a constant, an angle, a sine or a rotated coordinate in
    // the wrong precision moves them by one pixel.
    struct Case {
        uint32_t clock;
        int vertex, x, y;
    };
    const Case cases[] = {
        {162, 9, 145, 123},   // angle scale taken with a double 3.14: y 124
        {364, 132, 120, 106}, // likewise: x 121
        {606, 182, 117, 192}, // per-axis factors as doubles: y 193
        {713, 181, 119, 184}, // likewise: x 120
        {983, 438, 219, 169}, // sines or rotations left unrounded: y 168
        {1438, 117, 252, 119},// likewise: x 253
    };
    for (const Case& c : cases) {
        SceneClock = c.clock;
        DrawTorus(0);
        EXPECT_EQ(TorusScreen[c.vertex].x, c.x) << "clock " << c.clock;
        EXPECT_EQ(TorusScreen[c.vertex].y, c.y) << "clock " << c.clock;
    }
}

TEST_F(TorusTest, EdgeZeroStrengthFollowsNearerEnd)
{
    // At 0: from (270, 100) to (272, 123), 500 / 180 = 2.78 -> base + 2.
    KeepEdges({{0, 20}});
    DrawTorus(0);
    EXPECT_EQ(At(270, 100), 2);
    EXPECT_EQ(At(272, 123), 2);
    ClearCanvas(0);
    DrawTorus(10);
    EXPECT_EQ(At(270, 100), 12);
    EXPECT_EQ(At(272, 123), 12);
    int lit = 0;
    for (int i = 0; i < kCanvasSize; ++i) lit += Canvas[i] != 0;
    EXPECT_EQ(lit, 24);  // 24 rows, one pixel each, ends included

    // At 765 with base 10, where the torus returns over the plasma.
    ClearCanvas(0);
    SceneClock = 765;
    DrawTorus(10);
    EXPECT_EQ(At(64, 74), 12);
    EXPECT_EQ(At(63, 93), 12);
}

TEST_F(TorusTest, LinesAddToTheFrameAndClip)
{
    // At clock 100 vertex 0 projects below the canvas: its lines are cut.
    SceneClock = 100;
    std::memset(Canvas, 100, sizeof Canvas);
    DrawTorus(10);
    int raised = 0;
    for (int i = 0; i < kCanvasSize; ++i) {
        ASSERT_GE(Canvas[i], 100);
        raised += Canvas[i] > 100;
    }
    EXPECT_GT(raised, 1000);
    // A whole frame saturates rather than wrapping.
    std::memset(Canvas, 250, sizeof Canvas);
    DrawTorus(10);
    for (int i = 0; i < kCanvasSize; ++i) ASSERT_GE(Canvas[i], 250);
}

TEST_F(TorusTest, VertexAtMinusFiveHundredTakesTheFixedPoint)
{
    // z = -680 gives d = -500 exactly at clock 0.
    AddTorusVertex(0, 0, -680);
    AddTorusVertex(7, 3, -681);
    KeepEdges({{0, 600}});
    DrawTorus(0);
    ExpectProjected(600, 160, 100, 1.0f, 0.0f);
    ExpectProjected(601, 160, 100, 1.0f, 0.0f);
    // The edge takes the capped strength 100 from its near end.
    EXPECT_EQ(At(270, 100), 100);
    EXPECT_EQ(At(200, 100), 100);
    EXPECT_EQ(At(160, 100), 100);
}

TEST_F(TorusTest, VerticesAtTheEyeDoNotOverflow)
{
    // d = -499 and a huge x: the projection leaves the int range, and the
    // coordinates saturate instead.
    AddTorusVertex(2000000000, -2000000000, -679);
    // d = 0: an edge ending there is capped at 100.
    AddTorusVertex(0, 0, -180);
    KeepEdges({{0, 601}});
    DrawTorus(0);
    EXPECT_EQ(TorusScreen[600].x, INT32_MAX);
    EXPECT_EQ(TorusScreen[600].y, INT32_MIN);
    EXPECT_EQ(TorusDepth[601], 0.0f);
    EXPECT_EQ(At(270, 100), 100);
}

TEST_F(TorusTest, ZeroStateEmptiesTheModel)
{
    DrawTorus(0);
    ZeroTorusState();
    EXPECT_EQ(TorusVertexCount, 0);
    EXPECT_EQ(TorusEdgeCount, 0);
    EXPECT_EQ(TorusVertices[20].x, 0);
    EXPECT_EQ(TorusEdges[0].second, 0);
    EXPECT_EQ(TorusScreen[0].x, 0);
    EXPECT_EQ(TorusDepth[0], 0.0f);
    // Nothing left to draw.
    ClearCanvas(0);
    DrawTorus(10);
    for (int i = 0; i < kCanvasSize; ++i) ASSERT_EQ(Canvas[i], 0);
}

}  // namespace
