#include "round_edge.h"

#include <algorithm>
#include <cmath>

namespace {

// Normals whose sum is shorter than this are taken as opposite: the bisector of two faces
// folded flat onto each other points nowhere in particular.
constexpr float kOppositeSum = 1e-4f;

bool IsUnit(const Point3& v) {
  return std::fabs(v.LengthSquared() - 1.0f) < 1e-3f;
}

Point3 Unit(const Point3& v) {
  const float length = v.Length();
  return length > 0.0f ? v / length : Point3();
}

}  // namespace

SegmentFaces FacesAtEdge(const Point3& a, const Point3& b, const Point3& n0, int run0,
                         const Point3& n1, int run1) {
  SegmentFaces faces;
  if (!IsUnit(n0) || !IsUnit(n1) || run0 == 0 || run1 == 0) return faces;
  // A face's loop keeps its inside on the left of each edge as it runs it, seen from the
  // normal's side: n x (edge as run) points into the face.
  const Point3 edge = b - a;
  const Point3 in0 = Unit(float(run0) * (n0 ^ edge));
  const Point3 in1 = Unit(float(run1) * (n1 ^ edge));
  if (!IsUnit(in0) || !IsUnit(in1)) return faces;
  faces.normal[0] = n0;
  faces.normal[1] = n1;
  faces.inward[0] = in0;
  faces.inward[1] = in1;
  return faces;
}

bool HasFillet(const SegmentFaces& faces) {
  return IsUnit(faces.normal[0]) && IsUnit(faces.normal[1]);
}

bool RoundEdgeNormals(const Point3& p, const Point3& q, float d, float distance,
                      const SegmentFaces& faces, Point3& faceNormal, Point3& turned) {
  if (!(d >= 0.0f && d < distance) || !HasFillet(faces)) return false;
  const Point3 sum = faces.normal[0] + faces.normal[1];
  const float sumLength = sum.Length();
  if (!(sumLength > kOppositeSum)) return false;
  const Point3 bisector = sum / sumLength;

  // On the edge itself the first face; elsewhere the face p - q leans into the more.
  const Point3 away = p - q;
  const int face = d > 0.0f && away % faces.inward[1] > away % faces.inward[0] ? 1 : 0;
  faceNormal = faces.normal[face];

  const float angle = std::acos(std::clamp(faceNormal % bisector, -1.0f, 1.0f));
  const float toward = 1.0f - d / distance;
  const float sine = std::sin(angle);
  if (!(sine > 1e-6f)) {
    turned = faceNormal;  // faces flat across the edge: nothing to turn
    return true;
  }
  turned = faceNormal * (std::sin((1.0f - toward) * angle) / sine) +
           bisector * (std::sin(toward * angle) / sine);
  return true;
}
