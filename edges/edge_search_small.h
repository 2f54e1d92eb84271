#pragma once
#include <cstdint>
#include <vector>

#include "edge_segment.h"
#include "point3.h"

// The segments of a record so small that measuring every one beats any search (a box's dozen
// edges, and a scene may hold thousands of boxes): kept side by side four to a vector, and
// measured all at once. The segments are grouped by where they lie (a box's top face, its
// bottom, its sides), and each vector keeps the box of its four, so that a query skips the
// vectors out of its reach: a point on a box's face is near a third or two of its edges.
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
  // Per axis, vector by vector, the lower and upper ends of the vector's segments, widened by
  // the rounding of coordinates as large as theirs; vectors past the last are empty.
  alignas(16) float lower[3][4], upper[3][4];
  uint8_t segmentAt[kMost];  // the record's index of the segment in each lane
  uint8_t laneOf[kMost];     // the lane of each of the record's segments

  // The record's segment k as stored.
  EdgeSegment Segment(int k) const {
    const int lane = laneOf[k];
    const Four& f = four[lane / 4];
    const int i = lane % 4;
    return {{f.ax[i], f.ay[i], f.az[i]}, {f.bx[i], f.by[i], f.bz[i]}};
  }
};

// Keeps the segments when they are at most kMost; count stays 0 otherwise.
void BuildSmallEdgeSet(SmallEdgeSet& set, const std::vector<EdgeSegment>& segments);

// Index of the segment nearest to p whose squared distance is below radius2 (-1 for none);
// among equal distances the lower index. Measures each segment exactly as the slot scans do,
// so the answer is theirs to the bit.
int NearestSmallEdge(const SmallEdgeSet& set, const Point3& p, float radius2);
