#include "cgal_reference.h"

#include <CGAL/AABB_segment_primitive.h>
#include <CGAL/AABB_traits.h>
#include <CGAL/AABB_tree.h>
#include <CGAL/Simple_cartesian.h>

#include <chrono>
#include <cmath>

namespace {
using Kernel = CGAL::Simple_cartesian<double>;
using SegmentList = std::vector<Kernel::Segment_3>;
using Primitive = CGAL::AABB_segment_primitive<Kernel, SegmentList::const_iterator>;
using AabbTree = CGAL::AABB_tree<CGAL::AABB_traits<Kernel, Primitive>>;

Kernel::Point_3 ToCgal(const Point3& p) {
  return Kernel::Point_3(p.x, p.y, p.z);
}
}  // namespace

struct CgalSegments::Tree {
  SegmentList segments;  // the primitives point into it
  AabbTree tree;
};

CgalSegments::CgalSegments(const std::vector<EdgeSegment>& segments)
    : tree(std::make_unique<Tree>()) {
  auto begin = std::chrono::steady_clock::now();
  tree->segments.reserve(segments.size());
  for (const EdgeSegment& s : segments) tree->segments.emplace_back(ToCgal(s.start), ToCgal(s.end));
  tree->tree.insert(tree->segments.cbegin(), tree->segments.cend());
  tree->tree.build();
  tree->tree.accelerate_distance_queries();
  buildMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
}

CgalSegments::~CgalSegments() = default;

double CgalSegments::Nearest(const Point3& p) const {
  Kernel::Point_3 q = ToCgal(p);
  Kernel::Point_3 closest = tree->tree.closest_point_and_primitive(q).first;
  return std::sqrt(CGAL::squared_distance(q, closest));
}
