// The bracket example's 18 edges by shape, through the program's import (caps triangulated: the
// triangle path on a real file): the one up the L's inner corner concave, the other 17 convex.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "edge_extraction.h"
#include "edge_shape.h"
#include "scene/host_scene.h"
#include "scene/json_scene.h"

TEST(BracketEdgeShape, SeventeenOuterEdgesAndOneInner) {
  SceneReset reset;
  HostScene scene(LoadJsonScene(KELVANE_SOURCE_DIR "/examples/bracket.json", 30.0f));
  const SceneNode* bracket = scene.Find("bracket");
  ASSERT_NE(bracket, nullptr);
  // As examples/bracket.json sets them.
  EdgeParameters params{.distance = 0.15f, .smooth = true, .matId = true, .conditions = 1};
  auto segments = [&](int shape) {
    params.edgeShape = shape;
    NodeEdgeCache record;
    BuildNodeEdgeCache(record, bracket->node->GetHandle(), params, 0);
    return record.segments;
  };
  EXPECT_EQ(std::tuple(segments(kEdgeShapeAny).size(), segments(kEdgeShapeConvex).size()),
            std::tuple(18u, 17u));
  std::vector<EdgeSegment> inner = segments(kEdgeShapeConcave);
  ASSERT_EQ(inner.size(), 1u);
  // Object space, as the file gives it: up the inner corner (0.3, 0.3) from z 0 to 1.
  for (const Point3& end : {inner[0].start, inner[0].end})
    EXPECT_TRUE(end.x == 0.3f && end.y == 0.3f) << end.x << ", " << end.y;
  EXPECT_FLOAT_EQ(std::fabs(inner[0].end.z - inner[0].start.z), 1.0f);
}
