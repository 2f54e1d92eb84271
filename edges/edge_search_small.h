#pragma once
#include <vector>

#include "edge_segment.h"
#include "point3.h"

// The segments of a record so small that measuring every one beats any search (a box's dozen
// edges, and a scene may hold thousands of boxes): kept side by side in record order, four to
// a vector, and measured all at once.
struct SmallEdgeSet {
  static constexpr int kMost = 16;
  // Four segments' ends, lane by lane: a query reads a few cache lines in a row, which matters
  // because tracing the sample's ray has usually pushed the record out of the nearest cache.
  // Lanes past count hold NaN, which never measures nearer than anything.
  struct Four {
    alignas(16) float ax[4], ay[4], az[4];
    alignas(16) float bx[4], by[4], bz[4];
  };

  int count = 0;  // 0 for a record with more segments (or none)
  Four four[kMost / 4];

  // Segment k as stored.
  EdgeSegment Segment(int k) const {
    const Four& f = four[k / 4];
    const int i = k % 4;
    return {{f.ax[i], f.ay[i], f.az[i]}, {f.bx[i], f.by[i], f.bz[i]}};
  }
};

// Keeps the segments when they are at most kMost; count stays 0 otherwise.
void BuildSmallEdgeSet(SmallEdgeSet& set, const std::vector<EdgeSegment>& segments);

// Index of the segment nearest to p whose squared distance is below radius2 (-1 for none);
// among equal distances the lower index. Measures each segment exactly as the slot scans do,
// so the answer is theirs to the bit.
int NearestSmallEdge(const SmallEdgeSet& set, const Point3& p, float radius2);
