#pragma once
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "point3.h"

// Which edges "Edge shape" keeps, by the value of its radio group. Stored in scene files.
enum EdgeShapeFilter : int { kEdgeShapeAny = 0, kEdgeShapeConvex = 1, kEdgeShapeConcave = 2 };

// How an edge's two faces meet. Neither is the answer for everything that has no outer or
// inner side to speak of: an open or non-manifold edge, a degenerate face, faces that are
// flat across the edge or folded flat onto each other, and faces whose windings disagree
// across the edge.
enum class EdgeCrease { Neither, Convex, Concave };

// Sines of the turn between the two normals below this count as flat: a planar n-gon's
// Newell normal and a triangle's cross product differ by about this much in floats.
constexpr float kFlatCreaseSine = 1e-5f;

// Classifies a manifold edge from its faces' unit normals (zero for a degenerate face) and
// the edge vector in the direction the first face runs it. secondRunsOpposite is whether the
// second face runs it the other way, as consistent winding has it.
EdgeCrease ClassifyCrease(const Point3& n0, const Point3& n1, const Point3& edgeInFirst,
                          bool secondRunsOpposite);

// Whether an edge of this crease passes the filter.
bool PassesEdgeShape(int edgeShape, EdgeCrease crease);

// +1 when a face's vertex loop runs from a to b, -1 when from b to a, 0 when neither.
int LoopDirection(const int* loop, int count, int a, int b);

// Marks the entries of an edge table whose vertex pair appears in more than one entry: the
// host's tables give a third face on an edge an entry of its own, so such a pair is where
// three or more faces meet. vertexPair(i) gives entry i's two vertex indices.
template <class VertexPair>
std::vector<bool> NonManifoldEntries(int count, VertexPair vertexPair) {
  std::vector<std::pair<uint64_t, int>> keys;
  keys.reserve(size_t(count > 0 ? count : 0));
  for (int i = 0; i < count; ++i) {
    auto [a, b] = vertexPair(i);
    uint64_t lo = uint32_t(a < b ? a : b), hi = uint32_t(a < b ? b : a);
    keys.emplace_back((lo << 32) | hi, i);
  }
  std::sort(keys.begin(), keys.end());
  std::vector<bool> shared(keys.size(), false);
  for (size_t i = 1; i < keys.size(); ++i)
    if (keys[i].first == keys[i - 1].first)
      shared[size_t(keys[i].second)] = shared[size_t(keys[i - 1].second)] = true;
  return shared;
}
