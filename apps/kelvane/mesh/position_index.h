#pragma once
#include <cstdint>
#include <vector>

#include "point3.h"

// Welds points by exact position: an open-addressing table of indices into a vertex list the
// caller owns and only appends to. Positions must be finite with -0 already made +0, so equal
// bits mean equal positions.
class PositionIndex {
 public:
  // Makes room for `count` more vertices without rehashing.
  void Reserve(size_t count, const std::vector<Point3>& vertices);
  // The index of p in vertices, appending it first when it is new.
  int Weld(const Point3& p, std::vector<Point3>& vertices);
  // Starts fetching p's slot into the cache, for a Weld soon after: a large table misses the
  // cache on nearly every new point. Valid until the table grows (Reserve first).
  void Prefetch(const Point3& p) const;
  // Frees the table; Weld starts afresh after it.
  void Clear();

 private:
  void Grow(size_t minSlots, const std::vector<Point3>& vertices);

  std::vector<int> slots;  // -1: empty
  size_t used = 0;
};
