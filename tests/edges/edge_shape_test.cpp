// "Edge shape": which edges are outer (convex) or inner (concave) corners, on both mesh paths,
// and what counts as neither.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "edge_extraction.h"
#include "edge_shape.h"
#include "test_meshes.h"

namespace {

// A polygon object from corner positions and faces as vertex loops.
PolyObject* PolyFrom(const std::vector<Point3>& points,
                     std::initializer_list<std::vector<int>> faces) {
  PolyObject* poly = CreateEditablePolyObject();
  MNMesh& mm = poly->GetMesh();
  for (const Point3& p : points) mm.NewVert(p);
  for (const std::vector<int>& loop : faces) mm.NewFace(-1, int(loop.size()), loop.data());
  mm.FillInMesh();
  return poly;
}

// An L-shaped prism of height 1, outward wound: two hexagonal caps and six sides; the one
// reflex corner (0.3, 0.3) is each cap's first corner, so a fan from it stays inside the L.
PolyObject* MakeLPrism() {
  const float xy[6][2] = {{0.3f, 0.3f}, {0.3f, 2.0f}, {0.0f, 2.0f},
                          {0.0f, 0.0f}, {2.0f, 0.0f}, {2.0f, 0.3f}};
  std::vector<Point3> points;
  for (float z : {0.0f, 1.0f})
    for (const auto& c : xy) points.emplace_back(c[0], c[1], z);
  // The outline runs counter-clockwise seen from +z: the top cap as is, the bottom reversed,
  // and each side from its bottom edge up.
  return PolyFrom(points, {{0, 5, 4, 3, 2, 1},
                           {6, 7, 8, 9, 10, 11},
                           {0, 1, 7, 6},
                           {1, 2, 8, 7},
                           {2, 3, 9, 8},
                           {3, 4, 10, 9},
                           {4, 5, 11, 10},
                           {5, 0, 6, 11}});
}

// The records both paths build from the same polygon mesh at one edge shape, with the
// conditions of `base`.
struct Shapes {
  explicit Shapes(PolyObject* p) : poly(p), tri(Triangulate(*p)) {}
  ~Shapes() {
    poly->DeleteThis();
    tri->DeleteThis();
  }
  std::vector<EdgeSegment> Poly(int shape, EdgeParameters base = {}) const {
    base.edgeShape = shape;
    NodeEdgeCache r;
    SnapshotParameters(r, base);
    ExtractPolyMeshEdges(r, poly->GetMesh());
    return r.segments;
  }
  std::vector<EdgeSegment> Tri(int shape, EdgeParameters base = {}) const {
    base.edgeShape = shape;
    NodeEdgeCache r;
    SnapshotParameters(r, base);
    ExtractTriMeshEdges(r, tri->GetMesh());
    return r.segments;
  }
  // Convex, concave and any counts, the triangle path checked to agree.
  std::vector<size_t> Counts(EdgeParameters base = {}) const {
    std::vector<size_t> counts;
    for (int shape : {kEdgeShapeConvex, kEdgeShapeConcave, kEdgeShapeAny}) {
      size_t n = Poly(shape, base).size();
      EXPECT_EQ(Tri(shape, base).size(), n) << "the triangle path differs at shape " << shape;
      counts.push_back(n);
    }
    return counts;
  }
  PolyObject* poly;
  TriObject* tri;
};

using Counts = std::vector<size_t>;

}  // namespace

TEST(EdgeShape, CreaseEdgeCasesTheMeshesBelowDoNotReach) {
  const Point3 up(0, 0, 1), side(0, 1, 0), down(0, 0, -1);
  // Faces folded flat back onto each other, and a zero-length edge: nothing to tell.
  EXPECT_EQ(ClassifyCrease(up, down, Point3(-1, 0, 0), true), EdgeCrease::Neither);
  EXPECT_EQ(ClassifyCrease(up, side, Point3(), true), EdgeCrease::Neither);
  // The flatness test is on the angle, not scaled by the edge's length: a long edge does not
  // make a slight bend look flat, nor a short one a flat join bent.
  const Point3 tilted = Point3(0.0f, 1e-3f, 1.0f).Normalize();
  EXPECT_EQ(ClassifyCrease(up, tilted, Point3(-1000, 0, 0), true), EdgeCrease::Convex);
  EXPECT_EQ(ClassifyCrease(up, tilted, Point3(1e-3f, 0.0f, 0.0f), true), EdgeCrease::Concave);
  EXPECT_EQ(ClassifyCrease(up, up, Point3(-1e-6f, 0.0f, 0.0f), true), EdgeCrease::Neither);
}

TEST(EdgeShape, BoxIsAllConvexAndLPrismHasOneInnerEdge) {
  EXPECT_EQ(Shapes(MakeBoxPoly()).Counts(), (Counts{12, 0, 12}));
  // Subdivided, the box's inner edges are flat: neither kind.
  EXPECT_EQ(Shapes(MakeBoxPoly(2)).Counts(), (Counts{24, 0, 48}));

  // 18 edges: 6 up the sides and 6 around each hexagonal cap; only the side edge up the
  // reflex corner is an inner corner.
  Shapes l(MakeLPrism());
  EXPECT_EQ(l.Counts(), (Counts{17, 1, 18}));
  std::vector<EdgeSegment> inner = l.Poly(kEdgeShapeConcave);
  ASSERT_EQ(inner.size(), 1u);
  EXPECT_EQ(inner[0].start.x, 0.3f);
  EXPECT_EQ(inner[0].start.y, 0.3f);
  EXPECT_EQ(inner[0].end.x, 0.3f);
  EXPECT_NE(inner[0].start.z, inner[0].end.z);
}

TEST(EdgeShape, FiltersAfterTheConditions) {
  // The filter narrows what the conditions keep and never adds to it: the L prism's edges
  // between a cap and a side differ in smoothing group, the edges up the sides do not.
  PolyObject* poly = MakeLPrism();
  for (int f = 0; f < poly->mm.numf; ++f) poly->mm.F(f)->smGroup = f < 2 ? 1u : 2u;
  Shapes l(poly);
  EdgeParameters borders;
  borders.smooth = true;  // "Difference", the default
  EXPECT_EQ(l.Counts(borders), (Counts{12, 0, 12}));
  EdgeParameters open;
  open.openEdges = true;
  EXPECT_EQ(l.Counts(open), (Counts{0, 0, 0}));
  // The coplanar test keeps the flat inner edges of a subdivided box: neither kind.
  EdgeParameters flat;
  flat.complanar = true;
  EXPECT_EQ(Shapes(MakeBoxPoly(2)).Counts(flat), (Counts{0, 0, 24}));
}

TEST(EdgeShape, EdgesWithoutTwoProperFacesAreNeither) {
  // Two quads folded 90 degrees along x = 1 (a convex ridge seen from their normals' side):
  // the fold is convex, the six borders are open.
  std::vector<Point3> ridge = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {1, 0, -1}, {1, 1, -1}};
  EXPECT_EQ(Shapes(PolyFrom(ridge, {{0, 1, 2, 3}, {1, 4, 5, 2}})).Counts(), (Counts{1, 0, 7}));
  // The same second quad wound the other way: the windings disagree across the fold.
  EXPECT_EQ(Shapes(PolyFrom(ridge, {{0, 1, 2, 3}, {2, 5, 4, 1}})).Counts(), (Counts{0, 0, 7}));
  // A third quad on the fold (non-manifold): the fold is neither, though two of its three
  // faces alone would make it convex.
  ridge.push_back({2, 0, 0});
  ridge.push_back({2, 1, 0});
  Shapes fin(PolyFrom(ridge, {{0, 1, 2, 3}, {1, 4, 5, 2}, {1, 2, 7, 6}}));
  EXPECT_EQ(fin.Counts()[0], 0u);
  EXPECT_EQ(fin.Counts()[1], 0u);
  // A zero-area triangle on a real one's edge: the shared edge is neither.
  std::vector<Point3> sliver = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0.5f, 0.0f, 0.0f}};
  EXPECT_EQ(Shapes(PolyFrom(sliver, {{0, 1, 2}, {1, 0, 3}})).Counts(), (Counts{0, 0, 5}));
}

TEST(EdgeShape, InsideOutMeshFlipsEveryAnswer) {
  // Documented, not guarded against: with every face reversed, the box's corners read as
  // inner ones.
  PolyObject* box = MakeBoxPoly();
  for (int f = 0; f < box->mm.numf; ++f) {
    MNFace* face = box->mm.F(f);
    std::vector<int> loop(face->vtx, face->vtx + face->deg);
    for (int j = 0; j < face->deg; ++j) face->vtx[j] = loop[size_t(face->deg - 1 - j)];
  }
  box->mm.FillInMesh();
  EXPECT_EQ(Shapes(box).Counts(), (Counts{0, 12, 12}));
}
