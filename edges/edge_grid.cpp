#include "edge_grid.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

namespace {

// A record's grid never has more cells, nor more listed indices, than a small multiple of
// its segment count: a few short edges far apart would otherwise ask for billions of cells.
// Enlarging the cells keeps every answer within the cell size exact.
constexpr int64_t kCellsPerSegment = 4;
constexpr int64_t kMinCellBudget = 1024;
constexpr int64_t kIndicesPerSegment = 32;
constexpr int64_t kMinIndexBudget = 4096;

// Grid coordinate along one axis: truncated toward zero, so a point less than a cell before
// the origin still lands in the first column or row. Anything else outside the int range,
// and NaN, comes back as -1 or a huge value, outside every grid.
int GridCoordinate(float inv, float value, float origin) {
  float g = inv * (value - origin);
  if (!(g > -1.0f)) return -1;
  if (g >= 2.0e9f) return INT32_MAX;
  return int(g);
}

struct Span {
  int c0, c1, r0, r1;
};

struct Layout {
  float cellSize;
  float inv;
  int columns;
  int rows;
};

// The cells a segment is listed in: one column and row beyond its endpoints' cells.
Span SegmentSpan(const EdgeSegment& s, const Layout& g, const Point3& origin) {
  int c1 = std::min(GridCoordinate(g.inv, s.start.x, origin.x), g.columns - 1);
  int r1 = std::min(GridCoordinate(g.inv, s.start.y, origin.y), g.rows - 1);
  int c2 = std::min(GridCoordinate(g.inv, s.end.x, origin.x), g.columns - 1);
  int r2 = std::min(GridCoordinate(g.inv, s.end.y, origin.y), g.rows - 1);
  return {std::max(std::min(c1, c2) - 1, 0), std::min(std::max(c1, c2) + 1, g.columns - 1),
          std::max(std::min(r1, r2) - 1, 0), std::min(std::max(r1, r2) + 1, g.rows - 1)};
}

// Columns or rows over an extent. Counted in doubles, so a huge extent cannot overflow; an
// infinite cell size (inverse 0) gives one.
double CellCount(float inv, float maxValue, float minValue) {
  float g = std::fabs(inv * (maxValue - minValue));
  if (std::isfinite(g)) return std::floor(double(g)) + 1.0;
  return std::floor(std::fabs(double(inv) * (double(maxValue) - double(minValue)))) + 1.0;
}

Layout MakeLayout(float cellSize, const NodeEdgeCache& r, double& cells) {
  Layout g{cellSize, 1.0f / cellSize, 0, 0};
  double columns = CellCount(g.inv, r.boundsMax.x, r.boundsMin.x);
  double rows = CellCount(g.inv, r.boundsMax.y, r.boundsMin.y);
  cells = columns * rows;
  g.columns = int(std::min(columns, 2.0e9));
  g.rows = int(std::min(rows, 2.0e9));
  return g;
}

// Counts each cell's listed indices into next[cell + 1] (sized cells + 1, zeroed here) and
// returns their total, or -1 as soon as the total passes the budget. Keeps each segment's
// span for the listing, which would otherwise work them all out again.
int64_t CountIndices(const NodeEdgeCache& r, const Layout& g, int64_t budget,
                     std::vector<size_t>& next, std::vector<Span>& spans) {
  next.assign(size_t(g.columns) * size_t(g.rows) + 1, 0);
  spans.resize(r.segments.size());
  int64_t total = 0;
  for (size_t i = 0; i < r.segments.size(); ++i) {
    const Span sp = spans[i] = SegmentSpan(r.segments[i], g, r.boundsMin);
    total += int64_t(sp.c1 - sp.c0 + 1) * int64_t(sp.r1 - sp.r0 + 1);
    if (total > budget) return -1;
    for (int row = sp.r0; row <= sp.r1; ++row)
      for (int col = sp.c0; col <= sp.c1; ++col)
        ++next[size_t(row) * size_t(g.columns) + size_t(col) + 1];
  }
  return total;
}

}  // namespace

void BuildEdgeGrid(NodeEdgeCache& r) {
  if (r.distance > r.cellSize) r.cellSize = float(r.cMult) * r.distance;
  r.gridOrigin = r.boundsMin;
  r.cells.clear();
  r.cellIndexStore.reset();
  // Small cells are as good as large ones: sub-millimetre edges with a Distance to match
  // still need their gradient, and the budgets below bound the memory whatever the size.
  if (!(r.cellSize > 0.0f) || !std::isfinite(1.0f / r.cellSize)) return;

  const int64_t segments = int64_t(r.segments.size());
  const double cellBudget = double(std::max(kCellsPerSegment * segments, kMinCellBudget));
  const int64_t indexBudget = std::max(kIndicesPerSegment * segments, kMinIndexBudget);
  double cells = 0.0;
  Layout g = MakeLayout(r.cellSize, r, cells);
  while (cells > cellBudget) {
    // Both counts shrink roughly with the square of the cell size.
    float grow = float(std::max(std::sqrt(cells / cellBudget), 1.01));
    g = MakeLayout(g.cellSize * grow, r, cells);
  }
  // Count first, then lay every cell's list out in one array, each at its final size. The
  // count is also the budget's test: a layout that passes is counted once.
  std::vector<size_t> next;
  std::vector<Span> spans;
  while (CountIndices(r, g, indexBudget, next, spans) < 0)
    g = MakeLayout(g.cellSize * 1.5f, r, cells);
  r.cellSize = g.cellSize;
  r.columns = g.columns;
  r.rows = g.rows;
  const size_t cellCount = size_t(r.columns) * size_t(r.rows);
  for (size_t at = 1; at <= cellCount; ++at) next[at] += next[at - 1];
  auto store = std::make_shared<std::vector<int>>(next[cellCount]);
  r.cells.resize(cellCount);
  for (int row = 0; row < r.rows; ++row) {
    for (int col = 0; col < r.columns; ++col) {
      size_t at = size_t(row) * size_t(r.columns) + size_t(col);
      GridCell& cell = r.cells[at];
      cell.column = col;
      cell.row = row;
      cell.edgeIndices = std::span<const int>(store->data() + next[at], next[at + 1] - next[at]);
    }
  }
  // Each segment visits each cell of its rectangle once, by ascending index, so every list
  // comes out ascending without repeats.
  for (int i = 0; i < int(r.segments.size()); ++i) {
    const Span& sp = spans[size_t(i)];
    for (int row = sp.r0; row <= sp.r1; ++row)
      for (int col = sp.c0; col <= sp.c1; ++col)
        (*store)[next[size_t(row) * size_t(r.columns) + size_t(col)]++] = i;
  }
  r.cellIndexStore = std::move(store);
}

const GridCell* FindGridCell(const NodeEdgeCache& r, const Point3& p) {
  if (r.cells.empty()) return nullptr;
  float inv = 1.0f / r.cellSize;
  int c = GridCoordinate(inv, p.x, r.gridOrigin.x);
  int row = GridCoordinate(inv, p.y, r.gridOrigin.y);
  // Less than a cell beyond the far border counts as the last column or row, as truncation
  // does for the near border: such points can lie within the cell size of an edge.
  if (c == r.columns) c = r.columns - 1;
  if (row == r.rows) row = r.rows - 1;
  if (c < 0 || row < 0 || c >= r.columns || row >= r.rows) return nullptr;
  return &r.cells[size_t(row) * size_t(r.columns) + size_t(c)];
}
