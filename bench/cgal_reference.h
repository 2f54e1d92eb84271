#pragma once
#include <memory>
#include <vector>

#include "edge_segment.h"
#include "point3.h"

// The segments in a CGAL AABB tree (double precision), with its distance-query accelerator.
class CgalSegments {
 public:
  explicit CgalSegments(const std::vector<EdgeSegment>& segments);
  ~CgalSegments();
  CgalSegments(const CgalSegments&) = delete;
  CgalSegments& operator=(const CgalSegments&) = delete;

  double BuildMs() const { return buildMs; }

  // Exact distance (up to double rounding) from p to the nearest segment, however far.
  double Nearest(const Point3& p) const;

 private:
  struct Tree;
  std::unique_ptr<Tree> tree;
  double buildMs = 0.0;
};
