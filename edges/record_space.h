#pragma once
#include "node_edge_cache.h"

// The space a record measures in: the object's own, or with worldUnits the world through the
// transform the record was built with. The host hands points in object space and takes
// perturbations back in object space; these two cross between the spaces.

// The shaded point, given in object space, in the record's space.
inline Point3 PointInRecordSpace(const NodeEdgeCache& record, const Point3& objectPoint) {
  return record.worldUnits ? objectPoint * record.objectToWorld : objectPoint;
}

// A normal-like vector found in the record's space (a distance gradient, a surface normal),
// in object space. Normals go from object to world with the inverse transpose of the
// transform's linear part, so they come back with its transpose: each row dotted with the
// vector. Not normalised: a scaled node changes the length.
inline Point3 NormalInObjectSpace(const NodeEdgeCache& record, const Point3& v) {
  if (!record.worldUnits) return v;
  const Matrix3& m = record.objectToWorld;
  return Point3(m.GetRow(0) % v, m.GetRow(1) % v, m.GetRow(2) % v);
}
