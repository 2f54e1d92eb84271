#include "edge_search_tree.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <numeric>

namespace {

struct Point {
  double v[3];
};

double Distance2(const Point& p, const Point& q) {
  double d2 = 0.0;
  for (int axis = 0; axis < 3; ++axis) d2 += (p.v[axis] - q.v[axis]) * (p.v[axis] - q.v[axis]);
  return d2;
}

// Distance from p to the segment from a to b, in doubles.
double SegmentDistance(const Point& p, const Point& a, const Point& b) {
  double d[3], w[3], dd = 0.0, dw = 0.0;
  for (int axis = 0; axis < 3; ++axis) {
    d[axis] = b.v[axis] - a.v[axis];
    w[axis] = p.v[axis] - a.v[axis];
    dd += d[axis] * d[axis];
    dw += d[axis] * w[axis];
  }
  const double t = dd > 0.0 ? std::clamp(dw / dd, 0.0, 1.0) : 0.0;
  double e2 = 0.0;
  for (int axis = 0; axis < 3; ++axis) e2 += (w[axis] - t * d[axis]) * (w[axis] - t * d[axis]);
  return std::sqrt(e2);
}

// The axis of a capsule around a set of points: it joins two points far apart, the farthest
// from the first and the farthest from that. As segments lie within a capsule when their
// ends do, the points are the segments' ends.
struct Axis {
  Point a, b;
};

Axis AxisOf(const std::vector<Point>& points) {
  Axis axis{points.front(), points.front()};
  for (int pass = 0; pass < 2; ++pass) {
    const Point from = axis.a;
    double farthest = -1.0;
    for (const Point& p : points)
      if (const double d2 = Distance2(p, from); d2 > farthest) {
        farthest = d2;
        (pass == 0 ? axis.a : axis.b) = p;
      }
  }
  return axis;
}

// The point of segment ab nearest p, in doubles.
Point Foot(const Point& p, const Point& a, const Point& b) {
  double d[3], dd = 0.0, dw = 0.0;
  for (int axis = 0; axis < 3; ++axis) {
    d[axis] = b.v[axis] - a.v[axis];
    dd += d[axis] * d[axis];
    dw += d[axis] * (p.v[axis] - a.v[axis]);
  }
  const double t = dd > 0.0 ? std::clamp(dw / dd, 0.0, 1.0) : 0.0;
  Point f;
  for (int axis = 0; axis < 3; ++axis) f.v[axis] = a.v[axis] + t * d[axis];
  return f;
}

// The farthest of the points from the axis and how far it lies.
double Widest(const std::vector<Point>& points, const Axis& c, const Point** widest) {
  double radius = -1.0;
  for (const Point& p : points)
    if (const double r = SegmentDistance(p, c.a, c.b); r > radius) {
      radius = r;
      *widest = &p;
    }
  return radius;
}

// The axis moved halfway towards the point farthest from it, where that makes the capsule
// thinner: a run along an arc bulges to one side of the chord joining its ends, and the axis
// through the middle of the bulge halves the radius, so that a point far from a seam passes
// fewer of the leaves beside its nearest.
Axis Centred(const std::vector<Point>& points, Axis c) {
  const Point* widest = nullptr;
  const double radius = Widest(points, c, &widest);
  if (!(radius > 0.0)) return c;
  const Point foot = Foot(*widest, c.a, c.b);
  Axis moved = c;
  for (int axis = 0; axis < 3; ++axis) {
    const double shift = 0.5 * (widest->v[axis] - foot.v[axis]);
    moved.a.v[axis] += shift;
    moved.b.v[axis] += shift;
  }
  return Widest(points, moved, &widest) < radius ? moved : c;
}

// The centre of the points' box.
Point Middle(const std::vector<Point>& points) {
  Point lo = points.front(), hi = points.front();
  for (const Point& p : points)
    for (int axis = 0; axis < 3; ++axis) {
      lo.v[axis] = std::min(lo.v[axis], p.v[axis]);
      hi.v[axis] = std::max(hi.v[axis], p.v[axis]);
    }
  Point m;
  for (int axis = 0; axis < 3; ++axis) m.v[axis] = 0.5 * (lo.v[axis] + hi.v[axis]);
  return m;
}

// A child being placed: a run of slots, or a node already built, with the ends of the
// segments it holds.
struct Item {
  uint32_t child;
  std::vector<Point> ends;
  Point middle;
};

class Builder {
 public:
  Builder(SearchTree& tree, float slack) : tree(tree), slack(slack) {}

  // Builds the wide root over the runs.
  void BuildTop(std::vector<Item>& runs) {
    const size_t width = size_t(SearchTreeNode::kWidth);
    std::vector<Item> children;
    if (runs.size() <= width) {
      children = std::move(runs);
    } else {
      std::vector<Item> leaves = Children(runs, 0, runs.size(), SearchTreeNode::kLeafRuns);
      if (leaves.size() <= size_t(SearchTree::kTop)) {
        children = std::move(leaves);
      } else {
        size_t most = width;
        while (most * size_t(SearchTree::kTop) < leaves.size()) most *= width;
        children = Children(leaves, 0, leaves.size(), most);
      }
    }
    const uint32_t first = uint32_t(tree.nodes.size());
    for (size_t k = 0; k < children.size(); k += width)
      Node(children, k, std::min(k + width, children.size()));
    tree.top = uint32_t(tree.nodes.size()) - first;
  }

 private:
  // The subtrees over groups of `most` items of [begin, end), as the items of their parent.
  std::vector<Item> Children(std::vector<Item>& items, size_t begin, size_t end, size_t most) {
    std::vector<std::pair<size_t, size_t>> groups;
    Split(items, begin, end, most, groups);
    std::vector<Item> children;
    for (const auto& [from, to] : groups) {
      Item child;
      child.child = Build(items, from, to);
      for (size_t k = from; k < to; ++k)
        child.ends.insert(child.ends.end(), items[k].ends.begin(), items[k].ends.end());
      child.middle = Middle(child.ends);
      children.push_back(std::move(child));
    }
    return children;
  }

  // Builds the subtree over items [begin, end) and returns its node, the root of it last.
  uint32_t Build(std::vector<Item>& items, size_t begin, size_t end) {
    const size_t width = size_t(SearchTreeNode::kWidth);
    if (end - begin <= width) return Node(items, begin, end);
    // Children of `most` items each, so that the levels below are full.
    size_t most = width;
    while (most * width < end - begin) most *= width;
    std::vector<Item> children = Children(items, begin, end, most);
    return Node(children, 0, children.size());
  }

  // Cuts [begin, end) into groups of `most` items (the last may hold fewer) by halving
  // across the widest spread of their middles.
  void Split(std::vector<Item>& items, size_t begin, size_t end, size_t most,
             std::vector<std::pair<size_t, size_t>>& groups) {
    if (end - begin <= most) {
      groups.push_back({begin, end});
      return;
    }
    double lo[3] = {DBL_MAX, DBL_MAX, DBL_MAX}, hi[3] = {-DBL_MAX, -DBL_MAX, -DBL_MAX};
    for (size_t k = begin; k < end; ++k)
      for (int axis = 0; axis < 3; ++axis) {
        lo[axis] = std::min(lo[axis], items[k].middle.v[axis]);
        hi[axis] = std::max(hi[axis], items[k].middle.v[axis]);
      }
    int axis = 0;
    for (int a = 1; a < 3; ++a)
      if (hi[a] - lo[a] > hi[axis] - lo[axis]) axis = a;
    const size_t count = (end - begin + most - 1) / most;
    const size_t mid = begin + most * ((count + 1) / 2);
    std::nth_element(items.begin() + ptrdiff_t(begin), items.begin() + ptrdiff_t(mid),
                     items.begin() + ptrdiff_t(end), [axis](const Item& p, const Item& q) {
                       return p.middle.v[axis] < q.middle.v[axis];
                     });
    Split(items, begin, mid, most, groups);
    Split(items, mid, end, most, groups);
  }

  uint32_t Node(const std::vector<Item>& items, size_t begin, size_t end) {
    SearchTreeNode node;
    for (int lane = 0; lane < SearchTreeNode::kWidth; ++lane) {
      node.child[lane] = 0;
      node.radius[lane] = node.inverse[lane] = 0.0f;
      for (int axis = 0; axis < 3; ++axis) {
        node.a[axis][lane] = FLT_MAX;
        node.d[axis][lane] = 0.0f;
      }
      if (begin + size_t(lane) >= end) continue;
      const Item& item = items[begin + size_t(lane)];
      Axis c = Centred(item.ends, AxisOf(item.ends));
      node.child[lane] = item.child;
      // The axis as the search reads it, in floats.
      double length2 = 0.0;
      for (int axis = 0; axis < 3; ++axis) {
        node.a[axis][lane] = float(c.a.v[axis]);
        node.d[axis][lane] = float(c.b.v[axis] - double(node.a[axis][lane]));
        c.a.v[axis] = node.a[axis][lane];
        c.b.v[axis] = double(node.a[axis][lane]) + double(node.d[axis][lane]);
        length2 += double(node.d[axis][lane]) * double(node.d[axis][lane]);
      }
      node.inverse[lane] = length2 > 0.0 ? float(1.0 / length2) : 0.0f;
      double radius = 0.0;
      for (const Point& p : item.ends) radius = std::max(radius, SegmentDistance(p, c.a, c.b));
      // The search finds the axis's nearest point by rounded arithmetic; the slack covers
      // that as it covers the rounding of the segments' own distances.
      node.radius[lane] = float(radius) * 1.0001f + 2.0f * slack;
    }
    tree.nodes.push_back(node);
    return uint32_t(tree.nodes.size() - 1);
  }

  SearchTree& tree;
  float slack;
};

}  // namespace

void BuildSearchTree(SearchTree& tree, const float* ax, const float* ay, const float* az,
                     const float* bx, const float* by, const float* bz,
                     const std::vector<uint32_t>& binSlots, float slack) {
  tree = SearchTree{};
  // Slots are numbered below kRunBit, or there is no tree.
  if (binSlots.size() < 2 || binSlots.back() == 0 || binSlots.back() >= SearchTreeNode::kRunBit)
    return;
  // Runs of up to kRun slots, never across bins: the next bin in slot order may lie far away.
  std::vector<Item> runs;
  for (size_t b = 0; b + 1 < binSlots.size(); ++b)
    for (uint32_t k = binSlots[b]; k < binSlots[b + 1]; k += SearchTreeNode::kRun) {
      Item run;
      run.child = SearchTreeNode::kRunBit | k;
      for (uint32_t s = k; s < std::min(k + SearchTreeNode::kRun, binSlots[b + 1]); ++s) {
        run.ends.push_back({{ax[s], ay[s], az[s]}});
        run.ends.push_back({{bx[s], by[s], bz[s]}});
      }
      run.middle = Middle(run.ends);
      runs.push_back(std::move(run));
    }
  Builder(tree, slack).BuildTop(runs);
  tree.nodes.shrink_to_fit();
}
