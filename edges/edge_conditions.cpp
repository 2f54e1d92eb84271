#include "edge_conditions.h"
#include <cmath>

bool PassesSmoothing(int smoothEq, DWORD mask0, DWORD mask1) {
  DWORD common = mask0 & mask1;
  if (smoothEq == 0) return common != 0;
  if (smoothEq == 1) return common == 0;
  return false;
}

bool PassesCoplanar(float angleThreshold, const Point3& n0, const Point3& n1) {
  // A degenerate (zero-area) face has no normal, so nothing can be said about its angle to
  // the neighbour: the test fails, on both mesh paths alike.
  if (n0.LengthSquared() == 0.0f || n1.LengthSquared() == 0.0f) return false;
  float dot = n0 % n1;
  // Rounding can push nearly parallel or opposite normals just past +-1, where the arc
  // cosine has no value; such edges count as coplanar.
  if (dot > 1.0f || dot < -1.0f) return true;
  return std::acos(dot) < angleThreshold;
}

bool PassesMaterial(bool range, int eq, int a, int b, int m0, int m1) {
  if (eq != 0 && eq != 1) return false;
  if (!range) return eq == 0 ? m0 == m1 : m0 != m1;
  if (eq == 0) return (m0 == a && m1 == b) || (m0 == b && m1 == a);
  return (m0 != a && m1 != b) || (m0 != b && m1 != a);
}

bool AnyConditionEnabled(const NodeEdgeCache& r) {
  return r.selectionOnly || r.openEdges || r.smooth || r.complanar || r.matId;
}

bool EdgeQualifies(const NodeEdgeCache& r, bool selected, bool open, const EdgeFaces& f) {
  // Each test is a pure function of the edge, so the order they are tried in changes no
  // answer: the cheap ones go first, the arc cosine of the coplanar test last. And stops at
  // the first that fails, Or (any other value) at the first that holds. Open edges fail every
  // two-face test.
  const bool all = r.conditions == 0;
  if (r.openEdges && open != all) return !all;
  if (r.selectionOnly && selected != all) return !all;
  if (r.matId && (!open && PassesMaterial(r.matIdRange, r.matIdEq, r.matId1, r.matId2, f.material0,
                                          f.material1)) != all)
    return !all;
  if (r.smooth && (!open && PassesSmoothing(r.smoothEq, f.smooth0, f.smooth1)) != all) return !all;
  if (r.complanar && (!open && PassesCoplanar(r.angleThreshold, f.normal0, f.normal1)) != all)
    return !all;
  return all;
}
