// Round edges: the fillet normal from both mesh paths' records, against a rotation done here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "edge_extraction.h"
#include "nearest_edge.h"
#include "round_edge.h"
#include "test_meshes.h"

namespace {

constexpr float kBand = 0.2f;

// The expected perturbation: the face's normal turned (Rodrigues) about the edge toward the
// other face's normal by (1 - d / band) of half the angle between the two.
Point3 Expected(const Point3& n, const Point3& other, float d) {
  const float angle = (1.0f - d / kBand) * 0.5f * std::acos(std::clamp(n % other, -1.0f, 1.0f));
  const Point3 axis = Normalize(n ^ other);
  return n * std::cos(angle) + (axis ^ n) * std::sin(angle) +
         axis * ((axis % n) * (1.0f - std::cos(angle))) - n;
}

// The round-edge answer at p from a record of the given object, on either path.
struct Fillet {
  explicit Fillet(PolyObject* poly, bool triangles = false, const Matrix3* tm = nullptr,
                  int bumpMode = kBumpRoundEdge) {
    SnapshotParameters(record,
                       {.distance = kBand, .worldUnits = tm != nullptr, .bumpMode = bumpMode});
    if (tm) record.objectToWorld = *tm;
    if (triangles) {
      TriObject* tri = Triangulate(*poly);
      ExtractTriMeshEdges(record, tri->GetMesh());
      tri->DeleteThis();
    } else {
      ExtractPolyMeshEdges(record, poly->GetMesh());
    }
    poly->DeleteThis();
  }
  // n' - n, zero where there is no fillet.
  Point3 At(const Point3& p) const {
    Point3 q, n, turned;
    int segment = -1;
    const float d = NearestEdgeSegment(record, p, q, segment);
    if (segment < 0) return Point3();
    const SegmentFaces& faces = record.segmentFaces.at(size_t(segment));
    return RoundEdgeNormals(p, q, d, kBand, faces, n, turned) ? turned - n : Point3();
  }
  NodeEdgeCache record;
};

void ExpectNear(const Point3& a, const Point3& b, const char* what) {
  EXPECT_LT(Length(a - b), 3e-5f) << what << ": " << a.x << ", " << a.y << ", " << a.z;
}

}  // namespace

TEST(RoundEdge, TurnsLinearlyInAngleAcrossTheBandOnBothFaces) {
  const float s = std::sqrt(0.5f);
  struct Case {
    const char* name;
    Point3 w;  // where the second face leans
  } cases[] = {{"convex 90", {0.0f, 0.0f, -1.0f}},
               {"concave 90", {0.0f, 0.0f, 1.0f}},
               {"obtuse 135", {0.0f, s, -s}}};
  for (const Case& c : cases) {
    for (bool triangles : {false, true}) {
      Fillet fillet(MakeHinge(c.w), triangles);
      const Point3 top(0, 0, 1);
      const Point3 side = Normalize((Point3(1, 0, 0) ^ c.w));
      for (float d : {0.0f, kBand / 4, kBand / 2, kBand * 0.999f}) {
        SCOPED_TRACE(testing::Message()
                     << c.name << (triangles ? " triangles" : " polygons") << " at d = " << d);
        ExpectNear(fillet.At({0.5f, -d, 0.0f}), Expected(top, side, d), "on the top face");
        // On the edge itself the first face counts; off it the face the point is over.
        if (d > 0.0f)
          ExpectNear(fillet.At(Point3(0.5f, 0.0f, 0.0f) + c.w * d), Expected(side, top, d),
                     "on the second face");
      }
      ExpectNear(fillet.At({0.5f, -kBand * 1.001f, 0.0f}), Point3(), "beyond the band");
    }
  }
  // The convex 90-degree edge by hand: at the edge the normal is the bisector.
  Fillet box(MakeHinge({0, 0, -1}));
  ExpectNear(box.At({0.5f, 0.0f, 0.0f}), Point3(0.0f, s, s - 1.0f), "bisector at the edge");
}

TEST(RoundEdge, EdgesWithoutTwoProperFacesGiveNothing) {
  // The hinge's outer border is open; a third face on the hinge makes it non-manifold.
  Fillet open(MakeHinge({0, 0, -1}));
  ExpectNear(open.At({0.05f, -0.5f, 0.0f}), Point3(), "open border");
  Fillet fin(PolyFrom(
      {{0, 0, 0}, {1, 0, 0}, {1, -1, 0}, {0, -1, 0}, {0, 0, -1}, {1, 0, -1}, {0, 1, 0}, {1, 1, 0}},
      {{0, 3, 2, 1}, {0, 1, 5, 4}, {1, 0, 6, 7}}));
  ASSERT_FALSE(fin.record.segments.empty());
  ExpectNear(fin.At({0.5f, -0.05f, 0.0f}), Point3(), "three faces on the edge");
  // Folded flat onto each other: no bisector.
  Fillet folded(MakeHinge({0, -1, 0}));
  ExpectNear(folded.At({0.5f, -0.05f, 0.0f}), Point3(), "opposite normals");
  // Direct: a degenerate face or a loop that lacks the edge gives no fillet.
  EXPECT_FALSE(HasFillet(FacesAtEdge({0, 0, 0}, {1, 0, 0}, {0, 0, 1}, 1, {}, -1)));
  EXPECT_FALSE(HasFillet(FacesAtEdge({0, 0, 0}, {1, 0, 0}, {0, 0, 1}, 0, {0, 1, 0}, 1)));
}

TEST(RoundEdge, WorldUnitsTurnInWorldSpaceAndKeepOnlyWhenAsked) {
  // Squashed along y and rotated about z: the record keeps the world-space faces' normals.
  const float c = std::cos(0.3f), s = std::sin(0.3f);
  const Matrix3 tm(Point3(c, s, 0.0f), Point3(-s * 2, c * 2, 0.0f), Point3(0, 0, 1),
                   Point3(5, 0, 0));
  Fillet world(MakeHinge({0, 0, -1}), false, &tm);
  const auto& kept = world.record.segmentFaces;
  ASSERT_EQ(kept.size(), world.record.segments.size());
  const size_t hinge = size_t(std::find_if(kept.begin(), kept.end(), HasFillet) - kept.begin());
  ASSERT_EQ(std::count_if(kept.begin(), kept.end(), HasFillet), 1);
  const SegmentFaces& faces = kept[hinge];
  // The top's world normal is still +z, and its inward direction the mapped -y.
  ExpectNear(faces.normal[0], Point3(0, 0, 1), "top normal in world space");
  ExpectNear(faces.inward[0], Normalize(Point3(s, -c, 0.0f)), "top inward in world space");
  // The default mode keeps no faces.
  Fillet plain(MakeHinge({0, 0, -1}), false, nullptr, EdgeParameters{}.bumpMode);
  EXPECT_EQ(plain.record.segments.size(), 7u);
  EXPECT_TRUE(plain.record.segmentFaces.empty());
}
