// "Edge shape": outer (convex) or inner (concave) corners on both mesh paths, and neither.
#include <gtest/gtest.h>

#include <vector>

#include "edge_extraction.h"
#include "edge_shape.h"
#include "test_meshes.h"

namespace {

using Counts = std::vector<size_t>;

// Convex, concave and any counts from `poly` under `base`, both paths agreeing; deletes poly.
Counts ShapeCounts(PolyObject* poly, EdgeParameters base = {},
                   std::vector<EdgeSegment>* concave = nullptr) {
  TriObject* tri = Triangulate(*poly);
  Counts counts;
  for (int shape : {kEdgeShapeConvex, kEdgeShapeConcave, kEdgeShapeAny}) {
    base.edgeShape = shape;
    NodeEdgeCache p, t;
    SnapshotParameters(p, base);
    SnapshotParameters(t, base);
    ExtractPolyMeshEdges(p, poly->GetMesh());
    ExtractTriMeshEdges(t, tri->GetMesh());
    EXPECT_EQ(t.segments.size(), p.segments.size()) << "the triangle path differs at " << shape;
    counts.push_back(p.segments.size());
    if (concave && shape == kEdgeShapeConcave) *concave = p.segments;
  }
  poly->DeleteThis();
  tri->DeleteThis();
  return counts;
}

}  // namespace

TEST(EdgeShape, CreaseEdgeCasesTheMeshesBelowDoNotReach) {
  const Point3 up(0, 0, 1), side(0, 1, 0), down(0, 0, -1);
  // Faces folded flat back onto each other, and a zero-length edge: nothing to tell.
  EXPECT_EQ(ClassifyCrease(up, down, Point3(-1, 0, 0), true), EdgeCrease::Neither);
  EXPECT_EQ(ClassifyCrease(up, side, Point3(), true), EdgeCrease::Neither);
  // Flatness is judged by the angle, whatever the edge's length.
  const Point3 tilted = Point3(0.0f, 1e-3f, 1.0f).Normalize();
  EXPECT_EQ(ClassifyCrease(up, tilted, Point3(-1000, 0, 0), true), EdgeCrease::Convex);
  EXPECT_EQ(ClassifyCrease(up, tilted, Point3(1e-3f, 0.0f, 0.0f), true), EdgeCrease::Concave);
  EXPECT_EQ(ClassifyCrease(up, up, Point3(-1e-6f, 0.0f, 0.0f), true), EdgeCrease::Neither);
}

TEST(EdgeShape, BoxIsAllConvexAndLPrismHasOneInnerEdge) {
  EXPECT_EQ(ShapeCounts(MakeBoxPoly()), (Counts{12, 0, 12}));
  // 18 edges: only the side edge up the reflex corner is an inner corner.
  std::vector<EdgeSegment> inner;
  EXPECT_EQ(ShapeCounts(MakeLPrism(), {}, &inner), (Counts{17, 1, 18}));
  ASSERT_EQ(inner.size(), 1u);
  const EdgeSegment& s = inner[0];
  EXPECT_TRUE(s.start.x == 0.3f && s.start.y == 0.3f && s.end.x == 0.3f && s.start.z != s.end.z);
}

TEST(EdgeShape, FiltersAfterTheConditions) {
  // The filter narrows what the conditions keep: caps and sides in different smoothing groups.
  PolyObject* grouped = MakeLPrism();
  for (int f = 0; f < grouped->mm.numf; ++f) grouped->mm.F(f)->smGroup = f < 2 ? 1u : 2u;
  EXPECT_EQ(ShapeCounts(grouped, {.smooth = true}), (Counts{12, 0, 12}));  // "Difference"
  // The coplanar test keeps the flat inner edges of a subdivided box, which are neither kind.
  EXPECT_EQ(ShapeCounts(MakeBoxPoly(2), {.complanar = true}), (Counts{0, 0, 24}));
}

TEST(EdgeShape, EdgesWithoutTwoProperFacesAreNeither) {
  // Two quads folded 90 degrees along x = 1: a convex fold and six open borders.
  std::vector<Point3> ridge = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {1, 0, -1}, {1, 1, -1}};
  EXPECT_EQ(ShapeCounts(PolyFrom(ridge, {{0, 1, 2, 3}, {1, 4, 5, 2}})), (Counts{1, 0, 7}));
  // The same second quad wound the other way: the windings disagree across the fold.
  EXPECT_EQ(ShapeCounts(PolyFrom(ridge, {{0, 1, 2, 3}, {2, 5, 4, 1}})), (Counts{0, 0, 7}));
  // A third quad on the fold (non-manifold): neither, though two of the faces make it convex.
  ridge.push_back({2, 0, 0});
  ridge.push_back({2, 1, 0});
  const Counts fin = ShapeCounts(PolyFrom(ridge, {{0, 1, 2, 3}, {1, 4, 5, 2}, {1, 2, 7, 6}}));
  EXPECT_EQ(fin[0] + fin[1], 0u);
  // A zero-area triangle on a real one's edge: the shared edge is neither.
  std::vector<Point3> sliver = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0.5f, 0.0f, 0.0f}};
  EXPECT_EQ(ShapeCounts(PolyFrom(sliver, {{0, 1, 2}, {1, 0, 3}})), (Counts{0, 0, 5}));
}
