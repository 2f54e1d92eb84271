// Which edges qualify under each condition, alone and combined, on both mesh paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "edge_extraction.h"
#include "test_meshes.h"

namespace {

constexpr float kDegrees = 0.017453292f;

// The x of every stored edge parallel to Y, sorted: the interior edges of a strip along X.
std::vector<float> CrossingXs(const std::vector<EdgeSegment>& segments) {
  std::vector<float> xs;
  for (const EdgeSegment& s : segments)
    if (s.start.x == s.end.x) xs.push_back(s.start.x);
  std::sort(xs.begin(), xs.end());
  return xs;
}

// A polygon object and its triangulation (diagonals hidden), each on a node of its own.
struct BothPaths {
  explicit BothPaths(PolyObject* p) : poly(p), tri(Triangulate(*p)) {}
  // The segments the polygon path stores; the triangle path must store as many, alike.
  std::vector<EdgeSegment> Segments(const EdgeParameters& params) const {
    NodeEdgeCache a = BuildRecord(poly.Handle(), params), b = BuildRecord(tri.Handle(), params);
    EXPECT_EQ(CrossingXs(a.segments), CrossingXs(b.segments)) << "the triangle path differs";
    EXPECT_EQ(a.segments.size(), b.segments.size()) << "the triangle path differs";
    return a.segments;
  }
  size_t Count(const EdgeParameters& params) const { return Segments(params).size(); }
  ScopedNode poly, tri;
};

}  // namespace

TEST(EdgeConditions, SmoothingEqualsAndDifference) {
  EdgeParameters p{.smooth = true};
  // The two faces' groups, the mode, and whether their shared edge x = 1 is stored.
  const struct {
    DWORD sm0, sm1;
    int eq;
    long shared;
  } cases[] = {{1 | 2, 2 | 4, 0, 1}, {1 | 2, 2 | 4, 1, 0}, {1, 4, 0, 0}, {1, 4, 1, 1}};
  for (const auto& c : cases) {
    p.smoothEq = c.eq;
    PolyObject* quads = MakePlane(2, 1);
    quads->mm.F(0)->smGroup = c.sm0;
    quads->mm.F(1)->smGroup = c.sm1;
    std::vector<float> xs = CrossingXs(BothPaths(quads).Segments(p));
    EXPECT_EQ(std::count(xs.begin(), xs.end(), 1.0f), c.shared)
        << c.sm0 << "/" << c.sm1 << " eq " << c.eq;
  }
}

TEST(EdgeConditions, NoConditionStoresEveryVisibleEdgeAndCoplanarAngle) {
  // 2x2 quads: 12 visible edges; hidden diagonals are never stored, even when they pass.
  BothPaths plane(MakePlane(2, 2));
  EXPECT_EQ(plane.Count({}), 12u);
  EdgeParameters p{.complanar = true};
  EXPECT_EQ(plane.Count(p), 4u);
  // Box: 4 flat edges per side pass; above 180 degrees all 48 closed edges do.
  BothPaths box(MakeBoxPoly(2));
  EXPECT_EQ(box.Count(p), 24u);
  p.angleThreshold = 181.0f * kDegrees;
  EXPECT_EQ(box.Count(p), 48u);
}

TEST(EdgeConditions, DegenerateFaceIsNeverCoplanar) {
  // A triangle squashed to a line has no normal: its edge fails even at the widest angle.
  const std::vector<EdgeSegment> kept =
      BothPaths(PolyFrom({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {2, 0, 0}},
                         {{0, 1, 2}, {1, 3, 2}, {1, 0, 4}}))
          .Segments({.angleThreshold = 200.0f * kDegrees, .complanar = true});
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].start + kept[0].end, Point3(1.0f, 1.0f, 0.0f));
}

TEST(EdgeConditions, MaterialIds) {
  // A strip of four quads with IDs 0 1 0 2 (1 2 1 3 as the user counts).
  PolyObject* strip = MakePlane(4, 1);
  const MtlID ids[4] = {0, 1, 0, 2};
  for (int f = 0; f < 4; ++f) strip->mm.F(f)->material = ids[f];
  BothPaths mesh(strip);
  EdgeParameters p{.matId = true};
  struct Case {
    bool range;
    MtlID id1, id2;
    int eq;
    std::vector<float> xs;
  } cases[] = {
      {false, 0, 0, 0, {}},         // equal IDs: none of the three interior edges
      {false, 0, 0, 1, {1, 2, 3}},  // different IDs: all three
      {true, 0, 1, 0, {1, 2}},      // "Only in" IDs 1 and 2: between 0 and 1, either order
      {true, 2, 2, 1, {1, 2}},      // "Difference" with ID 3: neither face carries it
      {true, 2, 2, 5, {}},          // an unknown mode passes nothing
  };
  for (const Case& c : cases) {
    p.matIdRange = c.range;
    p.matId1 = c.id1;
    p.matId2 = c.id2;
    p.matIdEq = c.eq;
    EXPECT_EQ(CrossingXs(mesh.Segments(p)), c.xs) << c.range << " " << c.id1 << " " << c.eq;
  }
}

TEST(EdgeConditions, SelectedEdgesAndTheAndOrCombination) {
  PolyObject* plane = MakePlane(2, 1);
  // Select the shared edge x = 1 and the border edge x = 0.
  for (int e = 0; e < plane->mm.ENum(); ++e) {
    MNEdge* edge = plane->mm.E(e);
    float x1 = plane->mm.P(edge->v1).x, x2 = plane->mm.P(edge->v2).x;
    if (x1 == x2 && x1 < 2.0f) edge->SetFlag(MN_SEL);
  }
  BothPaths mesh(plane);
  EdgeParameters p{.selectionOnly = true};
  EXPECT_EQ(CrossingXs(mesh.Segments(p)), (std::vector<float>{0, 1}));
  p.openEdges = true;
  p.conditions = 0;  // And: only the selected border edge
  EXPECT_EQ(CrossingXs(mesh.Segments(p)), std::vector<float>{0});
  p.conditions = 1;  // Or: every open edge plus the selected interior one
  EXPECT_EQ(mesh.Count(p), 7u);
  // Open edges fail every two-face test: with all faces in one group, And keeps none.
  p = {.openEdges = true, .smooth = true, .smoothEq = 0, .conditions = 0};
  EXPECT_EQ(BothPaths(MakePlane(3, 3)).Count(p), 0u);
}
