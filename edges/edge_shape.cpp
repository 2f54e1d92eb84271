#include "edge_shape.h"

#include <cmath>

EdgeCrease ClassifyCrease(const Point3& n0, const Point3& n1, const Point3& edgeInFirst,
                          bool secondRunsOpposite) {
  if (!secondRunsOpposite) return EdgeCrease::Neither;
  if (n0.LengthSquared() == 0.0f || n1.LengthSquared() == 0.0f) return EdgeCrease::Neither;
  const float length = Length(edgeInFirst);
  if (!(length > 0.0f)) return EdgeCrease::Neither;
  // With outward normals and counter-clockwise loops, the second face lies below the first
  // face's plane (an outer corner) exactly when n0 x n1 points along the edge as the first
  // face runs it; the product's length is the sine of the turn between the faces.
  const float sine = ((n0 ^ n1) % edgeInFirst) / length;
  if (!(std::fabs(sine) > kFlatCreaseSine)) return EdgeCrease::Neither;  // NaN too
  return sine > 0.0f ? EdgeCrease::Convex : EdgeCrease::Concave;
}

bool PassesEdgeShape(int edgeShape, EdgeCrease crease) {
  switch (edgeShape) {
    case kEdgeShapeConvex:
      return crease == EdgeCrease::Convex;
    case kEdgeShapeConcave:
      return crease == EdgeCrease::Concave;
    default:
      return true;  // Any; a value out of range is clamped to the declared range before here
  }
}

int LoopDirection(const int* loop, int count, int a, int b) {
  for (int j = 0; j < count; ++j) {
    const int here = loop[j], next = loop[(j + 1) % count];
    if (here == a && next == b) return 1;
    if (here == b && next == a) return -1;
  }
  return 0;
}
