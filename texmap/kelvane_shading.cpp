// The render-time entry points. Render threads call them concurrently: they read the
// cached parameters and the ramp, and reach the per-node records through the cache.
#include <cmath>

#include "inode.h"
#include "kelvane.h"
#include "nearest_edge.h"
#include "record_space.h"
#include "round_edge.h"

namespace {
const AColor kNoColor(0.0f, 0.0f, 0.0f, 0.0f);
const Point3 kNoPerturbation(0.0f, 0.0f, 0.0f);
constexpr float kSnap = 0.0001f;
}  // namespace

Point3 Kelvane::RoundEdgePerturbation(const NodeEdgeCache& record,
                                      const Point3& objectPoint) const {
  const Point3 p = PointInRecordSpace(record, objectPoint);
  Point3 q;
  int segment = -1;
  // Nothing turns beyond Distance, so nothing farther needs finding.
  const float d = NearestEdgeSegmentWithin(record, p, distance, q, segment);
  if (segment < 0 || size_t(segment) >= record.segmentFaces.size()) return kNoPerturbation;
  Point3 n, turned;
  if (!RoundEdgeNormals(p, q, d, distance, record.segmentFaces[size_t(segment)], n, turned))
    return kNoPerturbation;
  // Normals found in world space come back as normals, each a unit one again: the difference
  // is then between the two object-space normals.
  if (record.worldUnits) {
    n = Normalize(NormalInObjectSpace(record, n));
    turned = Normalize(NormalInObjectSpace(record, turned));
  }
  return turned - n;
}

AColor Kelvane::EvalColor(ShadeContext& sc) {
  AColor c;
  if (sc.GetCache(this, c)) return c;
  if (gbufID) sc.SetGBufferID(int(gbufID));
  if (!(double(distance) >= 1e-5)) return kNoColor;
  INode* node = sc.Node();
  if (!node || sc.InMtlEditor()) return kNoColor;
  // No record: asked from inside the node's own build. As for a node without edges, the
  // colour is the ramp's end.
  float t = 1.0f;
  if (const NodeEdgeCache* record = NodeRecord(node->GetHandle(), sc)) {
    if (!record->object) return kNoColor;
    Point3 p = PointInRecordSpace(*record, sc.PointTo(sc.P(), REF_OBJECT));
    // The colour is the ramp's end from Distance on, so nothing farther needs finding.
    float d = NearestEdgeDistanceWithin(*record, p, distance);
    t = d / distance;
    t = t < 1.0f ? t : 1.0f;  // NaN too
    if (t < kSnap) t = 0.0f;
  }

  c = preparedRamp.Ready() ? preparedRamp.Evaluate(t) : ramp.Evaluate(sc, t);
  if (texout) c = texout->Filter(c);
  sc.PutCache(this, c);
  return c;
}

Point3 Kelvane::EvalNormalPerturb(ShadeContext& sc) {
  if (!sc.doMaps) return kNoPerturbation;
  if (gbufID) sc.SetGBufferID(int(gbufID));
  if (!(double(distance) >= 1e-5)) return kNoPerturbation;
  INode* node = sc.Node();
  if (!node || sc.InMtlEditor()) return kNoPerturbation;
  const NodeEdgeCache* record = NodeRecord(node->GetHandle(), sc);
  if (record && !record->object) return kNoPerturbation;

  Point3 p = sc.PointTo(sc.P(), REF_OBJECT);
  // A round edge needs a record built with its faces; without one nothing turns.
  if (bumpMode == kBumpRoundEdge)
    return record ? RoundEdgePerturbation(*record, p) : kNoPerturbation;
  // Without a record, as without edges: no nearest point, the far end of the ramp.
  Point3 q(0.0f, 0.0f, 0.0f);
  float d = kNoEdgeDistance;
  if (record) {
    p = PointInRecordSpace(*record, p);
    d = NearestEdgeDistance(*record, p, q);
  }
  Point3 direction = Normalize(p - q);
  // Found in world space, the direction away from the edge is the distance's gradient: back
  // in object space it maps as a normal, and is made a unit one again.
  if (record && record->worldUnits) direction = Normalize(NormalInObjectSpace(*record, direction));
  float t = d / distance;
  return ramp.EvaluatePerturb(sc, t, direction);
}
