// Which edges qualify under each condition, alone and combined, on both mesh paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "edge_extraction.h"
#include "test_meshes.h"

namespace {

constexpr float kDegrees = 0.017453292f;

bool OnBorder(const EdgeSegment& s, float size) {
  auto border = [&](const Point3& p) {
    return p.x == 0.0f || p.y == 0.0f || p.x == size || p.y == size;
  };
  auto sameLine = [&](int axis) {
    return s.start[axis] == s.end[axis] && (s.start[axis] == 0.0f || s.start[axis] == size);
  };
  return border(s.start) && border(s.end) && (sameLine(0) || sameLine(1));
}

// Two unit quads side by side sharing the edge x = 1, with the given face data.
PolyObject* TwoQuads(DWORD sm0, DWORD sm1, MtlID m0, MtlID m1) {
  PolyObject* poly = MakePlane(2, 1);
  poly->mm.F(0)->smGroup = sm0;
  poly->mm.F(1)->smGroup = sm1;
  poly->mm.F(0)->material = m0;
  poly->mm.F(1)->material = m1;
  return poly;
}

// Segments of a record whose both endpoints have x == 1 (the shared edge of TwoQuads).
int SharedEdgeCount(const NodeEdgeCache& r) {
  int n = 0;
  for (const EdgeSegment& s : r.segments) n += s.start.x == 1.0f && s.end.x == 1.0f;
  return n;
}

}  // namespace

TEST(EdgeConditions, NoConditionStoresEveryCandidate) {
  ScopedNode poly(MakePlane(2, 2));
  // 2x2 quads: 6 horizontal + 6 vertical edges.
  EXPECT_EQ(BuildRecord(poly.Handle(), {}).segments.size(), 12u);

  // Triangulated, the four diagonals are hidden and never stored.
  ScopedNode tri(Triangulate(*static_cast<PolyObject*>(poly.node->GetObjectRef())));
  NodeEdgeCache r = BuildRecord(tri.Handle(), {});
  ASSERT_EQ(r.segments.size(), 12u);
  for (const EdgeSegment& s : r.segments)
    EXPECT_TRUE(s.start.x == s.end.x || s.start.y == s.end.y) << "a diagonal was stored";

  // Even a condition every diagonal passes does not bring them back.
  EdgeParameters coplanar;
  coplanar.complanar = true;
  EXPECT_EQ(BuildRecord(tri.Handle(), coplanar).segments.size(), 4u);
}

TEST(EdgeConditions, OpenEdgesAlone) {
  EdgeParameters p;
  p.openEdges = true;
  ScopedNode box(MakeBoxPoly(2));
  EXPECT_TRUE(BuildRecord(box.Handle(), p).segments.empty());

  ScopedNode plane(MakePlane(3, 3));
  NodeEdgeCache r = BuildRecord(plane.Handle(), p);
  ASSERT_EQ(r.segments.size(), 12u);
  for (const EdgeSegment& s : r.segments) EXPECT_TRUE(OnBorder(s, 3.0f));

  ScopedNode tri(Triangulate(*static_cast<PolyObject*>(plane.node->GetObjectRef())));
  EXPECT_EQ(BuildRecord(tri.Handle(), p).segments.size(), 12u);
}

TEST(EdgeConditions, SmoothingEqualsAndDifference) {
  EdgeParameters p;
  p.smooth = true;
  struct Case {
    DWORD sm0, sm1;
    int eq;
    int shared;
  } cases[] = {
      {1 | 2, 2 | 4, 0, 1}, {1 | 2, 2 | 4, 1, 0}, {1, 4, 0, 0}, {1, 4, 1, 1}, {1, 1, 7, 0}};
  for (const Case& c : cases) {
    p.smoothEq = c.eq;
    ScopedNode poly(TwoQuads(c.sm0, c.sm1, 0, 0));
    ScopedNode tri(Triangulate(*static_cast<PolyObject*>(poly.node->GetObjectRef())));
    EXPECT_EQ(SharedEdgeCount(BuildRecord(poly.Handle(), p)), c.shared)
        << c.sm0 << "/" << c.sm1 << " eq " << c.eq;
    EXPECT_EQ(SharedEdgeCount(BuildRecord(tri.Handle(), p)), c.shared) << "triangle path";
  }
}

TEST(EdgeConditions, CoplanarAngle) {
  EdgeParameters p;
  p.complanar = true;
  p.angleThreshold = 0.1f * kDegrees;
  ScopedNode plane(MakePlane(3, 3));
  EXPECT_EQ(BuildRecord(plane.Handle(), p).segments.size(), 12u);  // the 12 interior edges

  // Box: the only interior edges that pass lie inside the sides, none along a corner.
  ScopedNode box(MakeBoxPoly(2));
  NodeEdgeCache r = BuildRecord(box.Handle(), p);
  EXPECT_EQ(r.segments.size(), 24u);  // 4 per side
  ScopedNode boxTri(Triangulate(*static_cast<PolyObject*>(box.node->GetObjectRef())));
  EXPECT_EQ(BuildRecord(boxTri.Handle(), p).segments.size(), 24u);

  // Above 180 degrees every closed edge passes: the box has 48 edges.
  p.angleThreshold = 181.0f * kDegrees;
  EXPECT_EQ(BuildRecord(box.Handle(), p).segments.size(), 48u);
  EXPECT_EQ(BuildRecord(boxTri.Handle(), p).segments.size(), 48u);
}

TEST(EdgeConditions, DegenerateFaceIsNeverCoplanar) {
  // A triangle squashed to a line next to a flat one: no normal, so their edge fails even
  // with the widest angle; the flat pair still passes.
  TriObject* tri = CreateNewTriObject();
  Mesh& m = tri->GetMesh();
  m.setNumVerts(5);
  m.verts[0] = Point3(0.0f, 0.0f, 0.0f);
  m.verts[1] = Point3(1.0f, 0.0f, 0.0f);
  m.verts[2] = Point3(0.0f, 1.0f, 0.0f);
  m.verts[3] = Point3(1.0f, 1.0f, 0.0f);
  m.verts[4] = Point3(2.0f, 0.0f, 0.0f);  // on the line through 0 and 1
  m.setNumFaces(3);
  m.faces[0].setVerts(0, 1, 2);
  m.faces[1].setVerts(1, 3, 2);
  m.faces[2].setVerts(1, 0, 4);  // zero area
  for (int f = 0; f < 3; ++f) m.faces[f].setEdgeVisFlags(1, 1, 1);
  ScopedNode node(tri);
  EdgeParameters p;
  p.complanar = true;
  p.angleThreshold = 200.0f * kDegrees;
  NodeEdgeCache r = BuildRecord(node.Handle(), p);
  ASSERT_EQ(r.segments.size(), 1u);
  EXPECT_EQ(r.segments[0].start, Point3(1.0f, 0.0f, 0.0f));
  EXPECT_EQ(r.segments[0].end, Point3(0.0f, 1.0f, 0.0f));
}

TEST(EdgeConditions, MaterialIds) {
  // A strip of four quads with IDs 0 1 0 2 (1 2 1 3 as the user counts).
  PolyObject* strip = MakePlane(4, 1);
  const MtlID ids[4] = {0, 1, 0, 2};
  for (int f = 0; f < 4; ++f) strip->mm.F(f)->material = ids[f];
  ScopedNode poly(strip);
  ScopedNode tri(Triangulate(*strip));
  auto interior = [](const NodeEdgeCache& r) {
    std::vector<float> xs;
    for (const EdgeSegment& s : r.segments)
      if (s.start.x == s.end.x) xs.push_back(s.start.x);
    std::sort(xs.begin(), xs.end());
    return xs;
  };
  EdgeParameters p;
  p.matId = true;
  p.matIdEq = 0;  // equal IDs: none of the three interior edges
  EXPECT_EQ(interior(BuildRecord(poly.Handle(), p)), std::vector<float>{});
  p.matIdEq = 1;
  EXPECT_EQ(interior(BuildRecord(poly.Handle(), p)), (std::vector<float>{1, 2, 3}));

  p.matIdRange = true;  // "Only in" IDs 1 and 2: between 0 and 1, either order
  p.matId1 = 0;
  p.matId2 = 1;
  p.matIdEq = 0;
  EXPECT_EQ(interior(BuildRecord(poly.Handle(), p)), (std::vector<float>{1, 2}));
  EXPECT_EQ(interior(BuildRecord(tri.Handle(), p)), (std::vector<float>{1, 2}));

  // Both IDs 3 with "Difference": edges where neither face carries ID 2 (0-based).
  p.matId1 = p.matId2 = 2;
  p.matIdEq = 1;
  EXPECT_EQ(interior(BuildRecord(poly.Handle(), p)), (std::vector<float>{1, 2}));
  p.matIdEq = 5;  // an unknown mode passes nothing
  EXPECT_EQ(interior(BuildRecord(poly.Handle(), p)), std::vector<float>{});
}

TEST(EdgeConditions, SelectedEdgesOnBothPaths) {
  PolyObject* plane = MakePlane(2, 1);
  // Select the shared edge and one border edge.
  int selected = 0;
  for (int e = 0; e < plane->mm.ENum(); ++e) {
    MNEdge* edge = plane->mm.E(e);
    bool shared = plane->mm.P(edge->v1).x == 1.0f && plane->mm.P(edge->v2).x == 1.0f;
    bool left = plane->mm.P(edge->v1).x == 0.0f && plane->mm.P(edge->v2).x == 0.0f;
    if (shared || left) edge->SetFlag(MN_SEL), ++selected;
  }
  ASSERT_EQ(selected, 2);
  ScopedNode poly(plane);
  ScopedNode tri(Triangulate(*plane));
  EdgeParameters p;
  p.selectionOnly = true;
  EXPECT_EQ(BuildRecord(poly.Handle(), p).segments.size(), 2u);
  EXPECT_EQ(BuildRecord(tri.Handle(), p).segments.size(), 2u);
  // And with open edges: only the selected border edge.
  p.openEdges = true;
  p.conditions = 0;
  NodeEdgeCache r = BuildRecord(tri.Handle(), p);
  ASSERT_EQ(r.segments.size(), 1u);
  EXPECT_EQ(r.segments[0].start.x, 0.0f);
  // Or: every open edge plus the selected interior one.
  p.conditions = 1;
  EXPECT_EQ(BuildRecord(poly.Handle(), p).segments.size(), 7u);
}

TEST(EdgeConditions, OpenAndTwoFaceTestCombined) {
  ScopedNode plane(MakePlane(3, 3));
  EdgeParameters p;
  p.openEdges = true;
  p.smooth = true;
  p.smoothEq = 0;  // all faces share group 1: every interior edge passes
  p.conditions = 0;
  EXPECT_TRUE(BuildRecord(plane.Handle(), p).segments.empty());
  p.conditions = 1;
  EXPECT_EQ(BuildRecord(plane.Handle(), p).segments.size(), 24u);
  p.conditions = -3;  // any value but 0 means Or
  EXPECT_EQ(BuildRecord(plane.Handle(), p).segments.size(), 24u);
}

TEST(EdgeRecord, OneQualifyingEdgeSetsBoundsAndCellSize) {
  PolyObject* poly = CreateEditablePolyObject();
  int a = poly->mm.NewVert(Point3(3.0f, -1.0f, 2.0f));
  int b = poly->mm.NewVert(Point3(0.0f, 3.0f, 2.0f));
  int c = poly->mm.NewVert(Point3(0.0f, 0.0f, 9.0f));
  int tri[3] = {a, b, c};
  poly->mm.NewFace(-1, 3, tri);
  poly->mm.FillInMesh();
  poly->mm.E(0)->SetFlag(MN_SEL);  // the edge a-b
  ScopedNode node(poly);
  EdgeParameters p;
  p.selectionOnly = true;
  p.distance = 0.0f;
  p.cMult = 3;
  NodeEdgeCache r = BuildRecord(node.Handle(), p);
  ASSERT_EQ(r.segments.size(), 1u);
  EXPECT_EQ(r.boundsMin, Point3(0.0f, -1.0f, 2.0f));
  EXPECT_EQ(r.boundsMax, Point3(3.0f, 3.0f, 2.0f));
  EXPECT_FLOAT_EQ(r.cellSize, 15.0f);  // its length 5 times c_mult
}

TEST(EdgeRecord, ObjectKindsAndConversion) {
  // A parametric box is neither kind: its edges come from its polygon conversion, and the
  // record keeps the box itself.
  BoxObject* box = new BoxObject;
  ScopedNode node(box);
  NodeEdgeCache r = BuildRecord(node.Handle(), {});
  EXPECT_EQ(r.object, box);
  EXPECT_EQ(r.segments.size(), 12u);

  // A node without geometry gives an object-less record with no edges.
  ScopedNode empty(nullptr);
  NodeEdgeCache none = BuildRecord(empty.Handle(), {});
  EXPECT_EQ(none.nodeHandle, empty.Handle());
  EXPECT_EQ(none.object, nullptr);
  EXPECT_TRUE(none.segments.empty());
  EXPECT_TRUE(none.cells.empty());
  EXPECT_EQ(none.cellSize, 0.0f);
}

TEST(EdgeRecord, NonFiniteVerticesAreSkipped) {
  PolyObject* plane = MakePlane(2, 2);
  plane->mm.P(4) = Point3(std::numeric_limits<float>::quiet_NaN(), 1.0f, 0.0f);  // the centre
  plane->mm.P(0).z = std::numeric_limits<float>::infinity();
  ScopedNode node(plane);
  NodeEdgeCache r = BuildRecord(node.Handle(), {});
  // 12 edges, 4 at the centre and 2 at the corner.
  EXPECT_EQ(r.segments.size(), 6u);
  EXPECT_EQ(r.boundsMin, Point3(0.0f, 0.0f, 0.0f));
  EXPECT_EQ(r.boundsMax, Point3(2.0f, 2.0f, 0.0f));
  EXPECT_FALSE(r.cells.empty());
}
