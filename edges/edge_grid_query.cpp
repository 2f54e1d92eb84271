#include "edge_grid_query.h"

#include "edge_grid.h"

bool ProjectOntoSegment(const Point3& p, const Point3& a, const Point3& b, Point3& foot,
                        float& distance) {
  Point3 d = b - a;
  float t = (d % (p - a)) / (d % d);
  // Not "t < 0": a zero-length segment gives NaN and has no foot.
  if (!(t >= 0.0f) || t > 1.0f) return false;
  foot = a + t * d;
  distance = Length(p - foot);
  return true;
}

float NearestEdgeDistancePlain(const NodeEdgeCache& record, const Point3& p, Point3& nearest) {
  float best = kNoEdgeDistance;
  const GridCell* cell = FindGridCell(record, p);
  if (!cell) return best;
  const EdgeSegment* segments = record.segments.data();
  for (int index : cell->edgeIndices) {
    const EdgeSegment& s = segments[index];
    Point3 foot;
    float d;
    // Strict comparisons: among equal distances the first candidate found wins.
    if (ProjectOntoSegment(p, s.start, s.end, foot, d) && d < best) {
      best = d;
      nearest = foot;
    }
    d = Length(s.start - p);
    if (d < best) {
      best = d;
      nearest = s.start;
    }
    d = Length(s.end - p);
    if (d < best) {
      best = d;
      nearest = s.end;
    }
  }
  return best;
}
