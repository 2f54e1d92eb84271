#include "edge_search_tree.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <limits>
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

double Dot(const double* u, const Point& p) {
  return u[0] * p.v[0] + u[1] * p.v[1] + u[2] * p.v[2];
}

// Scales v to unit length; false, leaving it, when it has none.
bool Normalise(double* v) {
  const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (!(length > 0.0) || !std::isfinite(length)) return false;
  for (int k = 0; k < 3; ++k) v[k] /= length;
  return true;
}

// The axes of a box around a set of points: the first joins two points far apart (the
// farthest from the first point and the farthest from that), the second points to the one
// farthest from that line, the third is across both. For points along a curve, the box is
// long along the first, as wide as the curve bulges along the second and flat along the third
// where the curve is.
void AxesOf(const std::vector<Point>& points, double u[3][3]) {
  Point a = points.front(), b = points.front();
  for (int pass = 0; pass < 2; ++pass) {
    const Point from = pass == 0 ? points.front() : a;
    double farthest = -1.0;
    for (const Point& p : points)
      if (const double d2 = Distance2(p, from); d2 > farthest) {
        farthest = d2;
        (pass == 0 ? a : b) = p;
      }
  }
  for (int k = 0; k < 3; ++k) u[0][k] = b.v[k] - a.v[k];
  if (!Normalise(u[0])) u[0][0] = 1.0, u[0][1] = u[0][2] = 0.0;
  double widest = -1.0;
  for (const Point& p : points) {
    double w[3];
    for (int k = 0; k < 3; ++k) w[k] = p.v[k] - a.v[k];
    const double along = w[0] * u[0][0] + w[1] * u[0][1] + w[2] * u[0][2];
    for (int k = 0; k < 3; ++k) w[k] -= along * u[0][k];
    if (const double w2 = w[0] * w[0] + w[1] * w[1] + w[2] * w[2]; w2 > widest) {
      widest = w2;
      for (int k = 0; k < 3; ++k) u[1][k] = w[k];
    }
  }
  if (!Normalise(u[1])) {
    // Any direction across the first: from the coordinate axis least along it.
    int least = 0;
    for (int k = 1; k < 3; ++k)
      if (std::fabs(u[0][k]) < std::fabs(u[0][least])) least = k;
    double e[3] = {0.0, 0.0, 0.0};
    e[least] = 1.0;
    for (int k = 0; k < 3; ++k) u[1][k] = e[k] - u[0][least] * u[0][k];
    Normalise(u[1]);
  }
  u[2][0] = u[0][1] * u[1][2] - u[0][2] * u[1][1];
  u[2][1] = u[0][2] * u[1][0] - u[0][0] * u[1][2];
  u[2][2] = u[0][0] * u[1][1] - u[0][1] * u[1][0];
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
      for (int axis = 0; axis < 3; ++axis) {
        node.centre[axis][lane] = 0.0f;
        node.extent[axis][lane] = -std::numeric_limits<float>::infinity();
        for (int k = 0; k < 3; ++k) node.u[axis][k][lane] = 0.0f;
      }
      if (begin + size_t(lane) >= end) continue;
      const Item& item = items[begin + size_t(lane)];
      node.child[lane] = item.child;
      // The box as the search reads it: axes and centre in floats, the extents measured in
      // those, so that every end lies within them whatever the axes' rounding.
      double u[3][3];
      AxesOf(item.ends, u);
      for (int axis = 0; axis < 3; ++axis)
        for (int k = 0; k < 3; ++k) {
          node.u[axis][k][lane] = float(u[axis][k]);
          u[axis][k] = double(node.u[axis][k][lane]);
        }
      double lo[3] = {DBL_MAX, DBL_MAX, DBL_MAX}, hi[3] = {-DBL_MAX, -DBL_MAX, -DBL_MAX};
      for (const Point& p : item.ends)
        for (int axis = 0; axis < 3; ++axis) {
          lo[axis] = std::min(lo[axis], Dot(u[axis], p));
          hi[axis] = std::max(hi[axis], Dot(u[axis], p));
        }
      Point centre{{0.0, 0.0, 0.0}};
      for (int axis = 0; axis < 3; ++axis)
        for (int k = 0; k < 3; ++k) centre.v[k] += 0.5 * (lo[axis] + hi[axis]) * u[axis][k];
      for (int k = 0; k < 3; ++k) {
        node.centre[k][lane] = float(centre.v[k]);
        centre.v[k] = double(node.centre[k][lane]);
      }
      for (int axis = 0; axis < 3; ++axis) {
        double extent = 0.0;
        for (const Point& p : item.ends)
          extent = std::max(extent, std::fabs(Dot(u[axis], p) - Dot(u[axis], centre)));
        // The search finds the gaps by rounded arithmetic; the slack covers that as it
        // covers the rounding of the segments' own distances.
        node.extent[axis][lane] = float(extent) * 1.0001f + 2.0f * slack;
      }
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
