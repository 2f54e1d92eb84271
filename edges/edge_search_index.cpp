#include "edge_search_index.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cfloat>
#include <cmath>
#include <memory>
#include <optional>

#include "build_alongside.h"

namespace {

// A bin is three mean segment lengths across: on a surface mesh that holds a dozen or two
// segments, so a query reads one or two bins before nothing left can be nearer. Where the
// segments are few and short (a seam, a rim) most bins are empty; the blocks skip those.
constexpr double kBinLengths = 3.0;
// Where the segments lie along a few curves (seams, rims) rather than over a surface, bins of
// that size hold two or three each, and a point away from the curves walks many of them
// before it finds one. Past a bin holding fewer than kSparseBin on average, bins grow to
// hold about kFilledBin: along a curve what a bin holds grows with its size, and a bin that
// full keeps boxes of its runs.
constexpr double kSparseBin = 6.0;
constexpr double kFilledBin = 32.0;
constexpr double kMostGrowth = 8.0;
// Bounds on what a record may cost, as for the grid; past them the bins grow.
constexpr double kColumnsPerSegment = 1.5;
constexpr double kLayersPerSegment = 4.0;
constexpr double kSlotsPerSegment = 4.0;
constexpr double kMinBudget = 4096.0;
constexpr double kMinColumnBudget = 1024.0;
// Keeps bin edges finite whatever the coordinates.
constexpr double kLargestBin = 1.0e37;

// Bins holding more segments than this keep a box per run.
constexpr uint32_t kBoxedBin = 32;
// Up to this many segments, each marks the near-edge mask itself.
constexpr size_t kMarkedOneByOne = 4096;

struct Placement {
  uint32_t column;
  int32_t layer;
  int32_t segment;
  uint32_t curve;  // position of the midpoint on a Morton curve through the bin
};

// Spreads the low 10 bits of v to every third bit.
uint32_t Spread3(uint32_t v) {
  v &= 0x3ff;
  v = (v | v << 16) & 0x30000ff;
  v = (v | v << 8) & 0x300f00f;
  v = (v | v << 4) & 0x30c30c3;
  v = (v | v << 2) & 0x9249249;
  return v;
}

// The bins' frame, copied out of the index: the placing loops store through pointers that the
// compiler cannot tell apart from the index's fields, and would read those again after each.
struct BinFrame {
  explicit BinFrame(const EdgeSearchIndex& x)
      : origin{x.origin.x, x.origin.y, x.origin.z},
        size(x.binSize),
        inverse(x.inverseBinSize),
        count{x.columns, x.rows, x.layers} {}

  // As EdgeSearchIndex::Edge.
  float Edge(int axis, int c) const { return origin[axis] + float(c) * size; }
  // Bin of a coordinate, clamped into the grid, and such that it lies between the bin's edges
  // exactly as Edge() computes them. Only one bin does, so the first guess may be rough.
  int Of(int axis, float v) const {
    const float f = (v - origin[axis]) * inverse;
    const int n = count[axis];
    int c = !(f >= 0.0f) ? 0 : f >= float(n) ? n - 1 : int(f);
    while (c > 0 && v < Edge(axis, c)) --c;
    while (c + 1 < n && v >= Edge(axis, c + 1)) ++c;
    return c;
  }
  uint32_t Column(int c, int r) const { return uint32_t(r) * uint32_t(count[0]) + uint32_t(c); }

  float origin[3];
  float size, inverse;
  int count[3];
};

double BinCount(double extent, double bin) {
  return std::floor(extent / bin) + 1.0;
}

class Binning {
 public:
  Binning(EdgeSearchIndex& x, const std::vector<EdgeSegment>& segments)
      : x(x), segments(segments) {}

  // Places every segment, or returns false when the long ones need more slots than allowed.
  // A large record is placed in two halves at once, each into its own part, joined after in
  // the order of the segments: the same placements and reaches as one pass.
  bool Place(float slack, double slotBudget) {
    const size_t columnCount = size_t(x.columns) * size_t(x.rows);
    const BinFrame frame(x);
    Part first(columnCount), second;
    if (BuildAlongside::Worth(segments.size())) {
      const size_t half = segments.size() / 2;
      second = Part(columnCount);
      BuildAlongside worker(
          [&] { PlaceRange(second, frame, half, segments.size(), slack, slotBudget); });
      PlaceRange(first, frame, 0, half, slack, slotBudget);
      worker.Wait();
      // The second half's long segments are judged by the count after the whole first half.
      if (first.overBudget || second.overBudget ||
          (second.countAtLastLong > 0 &&
           double(first.placements.size() + second.countAtLastLong) > slotBudget))
        return false;
      first.placements.insert(first.placements.end(), second.placements.begin(),
                              second.placements.end());
      for (int axis = 0; axis < 3; ++axis)
        first.reach[axis] = std::max(first.reach[axis], second.reach[axis]);
      for (size_t k = 0; k < first.ownSides.size(); ++k)
        first.ownSides[k] = std::max(first.ownSides[k], second.ownSides[k]);
      for (size_t k = 0; k < first.ownZ.size(); ++k)
        first.ownZ[k] = std::max(first.ownZ[k], second.ownZ[k]);
    } else {
      PlaceRange(first, frame, 0, segments.size(), slack, slotBudget);
      if (first.overBudget) return false;
    }
    placements = std::move(first.placements);
    const float half = 0.5f * x.binSize;
    for (int axis = 0; axis < 3; ++axis) x.reach[axis] = first.reach[axis] + 2.0f * slack;
    x.reachUnit = half * (1.0f / 255.0f);
    x.reachSlack = 2.0f * slack;
    x.columnReachZ = Units(first.ownZ);
    x.ringReach = Units(TowardEachColumn(first.ownSides));
    return true;
  }

  std::vector<Placement> placements;

 private:
  // What one pass over a range of segments finds.
  struct Part {
    Part() = default;
    explicit Part(size_t columns) : ownSides(4 * columns, 0.0f), ownZ(columns, 0.0f) {}
    std::vector<Placement> placements;
    Point3 reach;
    // Per column, how far what it holds reaches below and above it in X, then in Y.
    std::vector<float> ownSides;
    std::vector<float> ownZ;
    size_t countAtLastLong = 0;  // placements after the range's last long segment
    bool overBudget = false;
  };

  void PlaceRange(Part& part, const BinFrame& frame, size_t begin, size_t end, float slack,
                  double slotBudget) const {
    part.placements.reserve(end - begin);
    const float half = 0.5f * frame.size;
    for (size_t i = begin; i < end; ++i) {
      const EdgeSegment& s = segments[i];
      int bin[3];
      Point3 below, above;
      for (int axis = 0; axis < 3; ++axis) {
        float lo = std::min(s.start[axis], s.end[axis]);
        float hi = std::max(s.start[axis], s.end[axis]);
        bin[axis] = frame.Of(axis, 0.5f * (s.start[axis] + s.end[axis]));
        below[axis] = std::max(frame.Edge(axis, bin[axis]) - lo, 0.0f);
        above[axis] = std::max(hi - frame.Edge(axis, bin[axis] + 1), 0.0f);
      }
      const Point3 out(std::max(below.x, above.x), std::max(below.y, above.y),
                       std::max(below.z, above.z));
      if (out.x <= half && out.y <= half && out.z <= half) {
        const uint32_t column = frame.Column(bin[0], bin[1]);
        part.placements.push_back({column, bin[2], int32_t(i), Curve(frame, s, bin)});
        for (int axis = 0; axis < 3; ++axis)
          part.reach[axis] = std::max(part.reach[axis], out[axis]);
        float* sides = part.ownSides.data() + 4 * size_t(column);
        sides[0] = std::max(sides[0], below.x);
        sides[1] = std::max(sides[1], above.x);
        sides[2] = std::max(sides[2], below.y);
        sides[3] = std::max(sides[3], above.y);
        part.ownZ[column] = std::max(part.ownZ[column], out.z);
      } else {
        PlaceAlong(part.placements, frame, s, int32_t(i), slack);
        part.countAtLastLong = part.placements.size();
        if (double(part.placements.size()) > slotBudget) {
          part.overBudget = true;
          return;
        }
      }
    }
  }

  // The midpoint's place on the bin's Morton curve, clamped into the bin.
  static uint32_t Curve(const BinFrame& frame, const EdgeSegment& s, const int bin[3]) {
    uint32_t code = 0;
    for (int axis = 0; axis < 3; ++axis) {
      float mid = 0.5f * (s.start[axis] + s.end[axis]);
      float f = (mid - frame.Edge(axis, bin[axis])) * frame.inverse * 1024.0f;
      uint32_t q = !(f >= 0.0f) ? 0u : f >= 1023.0f ? 1023u : uint32_t(f);
      code |= Spread3(q) << axis;
    }
    return code;
  }

  // From what each column holds reaching out on each side to, per column, how far the three
  // columns on each side of it reach towards it: left, right, below, above.
  std::vector<float> TowardEachColumn(const std::vector<float>& own) const {
    const int w = x.columns, h = x.rows;
    std::vector<float> toward(own.size(), 0.0f);
    for (int r = 0; r < h; ++r) {
      for (int c = 0; c < w; ++c) {
        float* t = toward.data() + 4 * size_t(Column(c, r));
        for (int k = std::max(r - 1, 0); k <= std::min(r + 1, h - 1); ++k) {
          if (c > 0) t[0] = std::max(t[0], own[4 * size_t(Column(c - 1, k)) + 1]);
          if (c + 1 < w) t[1] = std::max(t[1], own[4 * size_t(Column(c + 1, k))]);
        }
        for (int k = std::max(c - 1, 0); k <= std::min(c + 1, w - 1); ++k) {
          if (r > 0) t[2] = std::max(t[2], own[4 * size_t(Column(k, r - 1)) + 3]);
          if (r + 1 < h) t[3] = std::max(t[3], own[4 * size_t(Column(k, r + 1)) + 2]);
        }
      }
    }
    return toward;
  }

  // Reaches of at most half a bin in reach units, rounded up; the slack covers the rounding
  // of the units back into a reach.
  std::vector<uint8_t> Units(const std::vector<float>& reach) const {
    std::vector<uint8_t> units(reach.size());
    for (size_t k = 0; k < reach.size(); ++k)
      units[k] = uint8_t(std::clamp(std::ceil(reach[k] / x.reachUnit), 0.0f, 255.0f));
    return units;
  }

  uint32_t Column(int c, int r) const { return uint32_t(r) * uint32_t(x.columns) + uint32_t(c); }

  // A long segment goes into every bin it passes through: cut into pieces no longer than
  // half a bin along any axis, each piece's box (widened by the rounding slack) covers the
  // bins it touches.
  void PlaceAlong(std::vector<Placement>& into, const BinFrame& frame, const EdgeSegment& s,
                  int32_t index, float slack) const {
    const Point3 d = s.end - s.start;
    float longest = std::max({std::fabs(d.x), std::fabs(d.y), std::fabs(d.z)});
    int pieces = int(std::min(std::ceil(double(longest) / (0.5 * frame.size)), 1.0e6)) + 1;
    const size_t first = into.size();
    Point3 from = s.start;
    for (int k = 1; k <= pieces; ++k) {
      Point3 to = k == pieces ? s.end : s.start + (float(k) / float(pieces)) * d;
      int lo[3], hi[3];
      for (int axis = 0; axis < 3; ++axis) {
        lo[axis] = frame.Of(axis, std::min(from[axis], to[axis]) - slack);
        hi[axis] = frame.Of(axis, std::max(from[axis], to[axis]) + slack);
      }
      for (int c = lo[0]; c <= hi[0]; ++c) {
        for (int r = lo[1]; r <= hi[1]; ++r) {
          for (int l = lo[2]; l <= hi[2]; ++l) {
            const int bin[3] = {c, r, l};
            into.push_back({frame.Column(c, r), l, index, Curve(frame, s, bin)});
          }
        }
      }
      from = to;
    }
    // Neighbouring pieces share bins; keep each bin once.
    auto begin = into.begin() + ptrdiff_t(first);
    std::sort(begin, into.end(), [](const Placement& a, const Placement& b) {
      return a.column != b.column ? a.column < b.column : a.layer < b.layer;
    });
    into.erase(std::unique(begin, into.end(),
                           [](const Placement& a, const Placement& b) {
                             return a.column == b.column && a.layer == b.layer;
                           }),
               into.end());
  }

  EdgeSearchIndex& x;
  const std::vector<EdgeSegment>& segments;
};

// Stable counting sort by a key below `keys`, from `in` into `out`, which holds as many.
// Many are sorted in two halves at once, each counted apart, the second half's placements of
// a key going after the first half's: the same order as one pass.
template <class Key>
void SortBy(const Placement* in, Placement* out, size_t count, size_t keys, Key key) {
  if (!BuildAlongside::Worth(count)) {
    std::vector<uint32_t> next(keys + 1, 0);
    for (size_t k = 0; k < count; ++k) ++next[key(in[k]) + 1];
    for (size_t k = 1; k <= keys; ++k) next[k] += next[k - 1];
    for (size_t k = 0; k < count; ++k) out[next[key(in[k])]++] = in[k];
    return;
  }
  const size_t half = count / 2;
  std::vector<uint32_t> first(keys + 1, 0), second(keys + 1, 0);
  const auto tally = [&](std::vector<uint32_t>& next, size_t from, size_t to) {
    for (size_t k = from; k < to; ++k) ++next[key(in[k]) + 1];
  };
  const auto scatter = [&](std::vector<uint32_t>& next, size_t from, size_t to) {
    for (size_t k = from; k < to; ++k) out[next[key(in[k])]++] = in[k];
  };
  {
    BuildAlongside worker([&] { tally(second, half, count); });
    tally(first, 0, half);
    worker.Wait();
  }
  // Each key's first slot for either half; a count is read before its place is overwritten.
  uint32_t at = 0;
  for (size_t k = 0; k < keys; ++k) {
    const uint32_t inFirst = first[k + 1], inSecond = second[k + 1];
    first[k] = at;
    second[k] = at + inFirst;
    at += inFirst + inSecond;
  }
  BuildAlongside worker([&] { scatter(second, half, count); });
  scatter(first, 0, half);
  worker.Wait();
}

const float* Starts(const EdgeSearchIndex& x, int axis) {
  return axis == 0 ? x.ax.data() : axis == 1 ? x.ay.data() : x.az.data();
}

const float* Ends(const EdgeSearchIndex& x, int axis) {
  return axis == 0 ? x.bx.data() : axis == 1 ? x.by.data() : x.bz.data();
}

// Lowest and highest coordinate along an axis of the segments in slots [first, last).
void Extent(const EdgeSearchIndex& x, int axis, uint32_t first, uint32_t last, float& lo,
            float& hi) {
  const float *from = Starts(x, axis), *to = Ends(x, axis);
  lo = FLT_MAX;
  hi = -FLT_MAX;
  for (uint32_t k = first; k < last; ++k) {
    lo = std::min({lo, from[k], to[k]});
    hi = std::max({hi, from[k], to[k]});
  }
}

// Chooses the bin size, the grid and the reach, and places every segment.
// Bins start at `bin` across and grow while the record's budgets ask for it.
std::vector<Placement> Place(EdgeSearchIndex& x, const std::vector<EdgeSegment>& segments,
                             const Point3& boundsMin, const Point3& boundsMax, double bin,
                             float& slack) {
  const double n = double(segments.size());
  double extent[3], largest = 0.0;
  for (int axis = 0; axis < 3; ++axis) {
    extent[axis] = double(boundsMax[axis]) - double(boundsMin[axis]);
    largest =
        std::max({largest, std::fabs(double(boundsMin[axis])), std::fabs(double(boundsMax[axis]))});
  }
  const double columnBudget = std::max(kColumnsPerSegment * n, kMinColumnBudget);
  const double layerBudget = std::max(kLayersPerSegment * n, kMinBudget);
  const double slotBudget = std::max(kSlotsPerSegment * n, kMinBudget);

  x.origin = boundsMin;
  Binning binning(x, segments);
  for (;;) {
    bin = std::min(bin, kLargestBin);
    double counts[3];
    for (int axis = 0; axis < 3; ++axis) counts[axis] = BinCount(extent[axis], bin);
    const double columns = counts[0] * counts[1];
    if (bin < kLargestBin && (columns > columnBudget || counts[2] > layerBudget)) {
      bin *= std::max(std::sqrt(columns / columnBudget), std::max(counts[2] / layerBudget, 1.25));
      continue;
    }
    x.binSize = float(bin);
    x.inverseBinSize = 1.0f / x.binSize;
    x.columns = int(counts[0]);
    x.rows = int(counts[1]);
    x.layers = int(counts[2]);
    // Rounding in bin edges and in the query's gaps, all far below this.
    slack = float(1.0e-5 * bin + 16.0 * FLT_EPSILON * (largest + bin));
    if (binning.Place(slack, slotBudget) || bin >= kLargestBin) break;
    bin *= 2.0;
  }
  return std::move(binning.placements);
}

// Sorts the placements into bins, column by column and by rising layer within a column, each
// bin along its Morton curve, and stores them.
void FillBins(EdgeSearchIndex& x, const std::vector<EdgeSegment>& segments,
              std::vector<Placement> placements) {
  const size_t columnCount = size_t(x.columns) * size_t(x.rows);
  // By layer into a buffer left uninitialised, then by column back into place: a fresh
  // zeroed array per sort cost a fill of every page on top of the copy.
  const size_t count = placements.size();
  const std::unique_ptr<Placement[]> byLayer(new Placement[count]);
  SortBy(placements.data(), byLayer.get(), count, size_t(x.layers),
         [](const Placement& p) { return size_t(p.layer); });
  SortBy(byLayer.get(), placements.data(), count, columnCount,
         [](const Placement& p) { return size_t(p.column); });
  std::vector<uint32_t> starts;
  for (uint32_t k = 0; k < uint32_t(placements.size()); ++k)
    if (k == 0 || placements[k].column != placements[k - 1].column ||
        placements[k].layer != placements[k - 1].layer)
      starts.push_back(k);
  starts.push_back(uint32_t(placements.size()));
  starts.shrink_to_fit();  // kept as binSlots

  x.columnBins.assign(columnCount + 1, 0);
  x.binLayer.resize(starts.size() - 1);
  // Padding: zero-length segments as far away as a float goes, which never come nearest.
  const size_t slots = count + EdgeSearchIndex::kPadding;
  for (std::vector<float>* a : {&x.ax, &x.ay, &x.az, &x.bx, &x.by, &x.bz})
    a->assign(slots, FLT_MAX);
  x.segment.assign(slots, -1);
  const size_t bins = starts.size() - 1;
  for (size_t b = 0; b < bins; ++b) {
    ++x.columnBins[placements[starts[b]].column + 1];
    x.binLayer[b] = placements[starts[b]].layer;
  }
  // Each bin along its curve into its own slots: many bins are stored in two halves at once.
  const auto store = [&](size_t from, size_t to) {
    for (size_t b = from; b < to; ++b) {
      std::sort(placements.begin() + starts[b], placements.begin() + starts[b + 1],
                [](const Placement& p, const Placement& q) { return p.curve < q.curve; });
      for (uint32_t k = starts[b]; k < starts[b + 1]; ++k) {
        const EdgeSegment& s = segments[size_t(placements[k].segment)];
        x.ax[k] = s.start.x;
        x.ay[k] = s.start.y;
        x.az[k] = s.start.z;
        x.bx[k] = s.end.x;
        x.by[k] = s.end.y;
        x.bz[k] = s.end.z;
        x.segment[k] = placements[k].segment;
      }
    }
  };
  if (BuildAlongside::Worth(count)) {
    const size_t middle = size_t(
        std::lower_bound(starts.begin(), starts.end() - 1, uint32_t(count / 2)) - starts.begin());
    BuildAlongside worker([&] { store(middle, bins); });
    store(0, middle);
    worker.Wait();
  } else {
    store(0, bins);
  }
  for (size_t c = 1; c <= columnCount; ++c) x.columnBins[c] += x.columnBins[c - 1];
  x.binSlots = std::move(starts);
}

// The box of each run of kChunk slots in the bins that hold many, widened by the slack like
// the reach, kept by blocks of kRunBlock runs as lower x, y, z, then upper x, y, z, each of
// kRunBlock lanes: a query tests a block's boxes at once. Lanes past a bin's last run hold a
// box that nothing comes near.
void FillRunBoxes(EdgeSearchIndex& x, float slack) {
  constexpr uint32_t kBlock = SearchColumns::kRunBlock;
  const size_t bins = x.binLayer.size();
  x.binChunks.resize(bins + 1);
  size_t boxes = 0;
  for (size_t b = 0; b < bins; ++b) {
    x.binChunks[b] = uint32_t(boxes);
    const uint32_t count = x.binSlots[b + 1] - x.binSlots[b];
    const uint32_t runs = (count + EdgeSearchIndex::kChunk - 1) / EdgeSearchIndex::kChunk;
    if (count > kBoxedBin) boxes += (runs + kBlock - 1) / kBlock * kBlock;
  }
  x.binChunks[bins] = uint32_t(boxes);
  x.chunkBoxes.assign(6 * boxes, 0.0f);
  for (size_t block = 0; block < boxes; block += kBlock) {
    float* box = x.chunkBoxes.data() + 6 * block;
    std::fill(box, box + 3 * kBlock, FLT_MAX);
    std::fill(box + 3 * kBlock, box + 6 * kBlock, -FLT_MAX);
  }
  for (size_t b = 0; b < bins; ++b) {
    float* block = x.chunkBoxes.data() + 6 * size_t(x.binChunks[b]);
    uint32_t lane = 0;
    for (uint32_t k = x.binSlots[b]; x.binChunks[b + 1] > x.binChunks[b] && k < x.binSlots[b + 1];
         k += EdgeSearchIndex::kChunk) {
      const uint32_t end = std::min(k + EdgeSearchIndex::kChunk, x.binSlots[b + 1]);
      for (int axis = 0; axis < 3; ++axis) {
        float& lower = block[size_t(axis) * kBlock + lane];
        float& upper = block[size_t(3 + axis) * kBlock + lane];
        Extent(x, axis, k, end, lower, upper);
        lower -= slack;
        upper += slack;
      }
      if (++lane == kBlock) {
        lane = 0;
        block += 6 * kBlock;
      }
    }
  }
}

// The XY box of each column's segments, clipped to the column widened by the reach (a long
// segment matters to a column only where it passes through), in steps of 1/255 of that,
// rounded outwards by a step more to stay clear of rounding.
void FillColumnBoxes(EdgeSearchIndex& x) {
  x.columnBoxes.assign(4 * size_t(x.columns) * size_t(x.rows), 0);
  for (int r = 0; r < x.rows; ++r) {
    for (int c = 0; c < x.columns; ++c) {
      const size_t column = size_t(r) * size_t(x.columns) + size_t(c);
      const float base[2] = {x.Edge(0, c) - x.reach.x, x.Edge(1, r) - x.reach.y};
      uint8_t* box = x.columnBoxes.data() + 4 * column;
      for (int axis = 0; axis < 2; ++axis) {
        float lo, hi;
        Extent(x, axis, x.binSlots[x.columnBins[column]], x.binSlots[x.columnBins[column + 1]], lo,
               hi);
        const float step = x.BoxStep(axis);
        const float qlo = std::floor((lo - base[axis]) / step) - 1.0f;
        const float qhi = std::ceil((hi - base[axis]) / step) + 1.0f;
        box[2 * axis] = uint8_t(std::clamp(qlo, 0.0f, 255.0f));
        box[2 * axis + 1] = uint8_t(std::clamp(qhi, 0.0f, 255.0f));
      }
    }
  }
}

// Each block's box: the union of its columns' boxes, computed as the query computes those,
// so that no column lies nearer to a point than its block.
void FillBlockBoxes(EdgeSearchIndex& x) {
  const int k = EdgeSearchIndex::kBlock;
  static_assert(k * k <= 64, "a block's columns are bits of one word");
  x.blockColumns = (x.columns + k - 1) / k;
  x.blockRows = (x.rows + k - 1) / k;
  x.blockBoxes.resize(4 * size_t(x.blockColumns) * size_t(x.blockRows));
  for (size_t b = 0; b < x.blockBoxes.size(); b += 4) {
    x.blockBoxes[b] = x.blockBoxes[b + 2] = FLT_MAX;
    x.blockBoxes[b + 1] = x.blockBoxes[b + 3] = -FLT_MAX;
  }
  x.blockColumnsHeld.assign(size_t(x.blockColumns) * size_t(x.blockRows), 0);
  const float stepX = x.BoxStep(0), stepY = x.BoxStep(1);
  for (int r = 0; r < x.rows; ++r) {
    for (int c = 0; c < x.columns; ++c) {
      const size_t column = size_t(r) * size_t(x.columns) + size_t(c);
      if (x.columnBins[column] == x.columnBins[column + 1]) continue;
      const uint8_t* box = x.columnBoxes.data() + 4 * column;
      const float baseX = x.Edge(0, c) - x.reach.x, baseY = x.Edge(1, r) - x.reach.y;
      const size_t b = size_t(r / k) * size_t(x.blockColumns) + size_t(c / k);
      x.blockColumnsHeld[b] |= uint64_t(1) << ((r % k) * k + c % k);
      float* block = x.blockBoxes.data() + 4 * b;
      block[0] = std::min(block[0], baseX + float(box[0]) * stepX);
      block[1] = std::max(block[1], baseX + float(box[1]) * stepX);
      block[2] = std::min(block[2], baseY + float(box[2]) * stepY);
      block[3] = std::max(block[3], baseY + float(box[3]) * stepY);
    }
  }
}

// Merges the segments' extents along each axis into stretches: first per slab of bins (by
// where an extent starts, which keeps the slabs in order of their lowest start), then slab by
// slab across the gaps narrower than a bin. Past a bound on their number (a sparse scatter of
// short segments) wider gaps are closed too: only more points then go on to the search.
void FillOccupiedStretches(EdgeSearchIndex& x, const std::vector<EdgeSegment>& segments) {
  const int counts[3] = {x.columns, x.rows, x.layers};
  const size_t most = std::max<size_t>(64, segments.size() / 16);
  for (int axis = 0; axis < 3; ++axis) {
    const size_t count = size_t(counts[axis]);
    std::vector<float> slabFrom(count, FLT_MAX), slabTo(count, -FLT_MAX);
    for (const EdgeSegment& s : segments) {
      const float lo = std::min(s.start[axis], s.end[axis]);
      const float hi = std::max(s.start[axis], s.end[axis]);
      const float f = (lo - x.origin[axis]) * x.inverseBinSize;
      const size_t k = !(f >= 0.0f) ? 0 : f >= float(count) ? count - 1 : size_t(f);
      slabFrom[k] = std::min(slabFrom[k], lo);
      slabTo[k] = std::max(slabTo[k], hi);
    }
    std::vector<float>& from = x.occupiedFrom[axis];
    std::vector<float>& to = x.occupiedTo[axis];
    for (float gap = x.binSize;; gap *= 2.0f) {
      from.clear();
      to.clear();
      for (size_t k = 0; k < count; ++k) {
        if (slabFrom[k] > slabTo[k]) continue;  // nothing starts in this slab
        if (!to.empty() && slabFrom[k] - to.back() < gap) {
          to.back() = std::max(to.back(), slabTo[k]);
        } else {
          from.push_back(slabFrom[k]);
          to.push_back(slabTo[k]);
        }
      }
      if (from.size() <= most || !std::isfinite(gap)) break;
    }
    from.shrink_to_fit();
    to.shrink_to_fit();
  }
}

// Marks the mask segment by segment where they are few (a box's dozen edges share one bin,
// whose box is the whole object), else bin by bin: a bin's segments lie within the bin
// widened by the reach, and there are far fewer bins than segments.
void FillNearMask(EdgeSearchIndex& x, const std::vector<EdgeSegment>& segments,
                  const Point3& boundsMin, const Point3& boundsMax, float distance) {
  x.nearMask.Frame(boundsMin, boundsMax, distance);
  if (x.nearMask.distance == 0.0f) return;
  if (segments.size() <= kMarkedOneByOne) {
    // A few are each widened as marked, cheaper than widening the whole grid after.
    const bool few = segments.size() <= size_t(SmallEdgeSet::kMost);
    const NearEdgeMask& mask = x.nearMask;
    SmallEdgeSet& small = x.small;
    if (few) {
      small.firstY = mask.cells[0];
      small.firstZ = mask.cells[0] + mask.cells[1];
      small.layerLanes.assign(size_t(small.firstZ + mask.cells[2]), 0);
    }
    for (size_t k = 0; k < segments.size(); ++k) {
      const EdgeSegment& s = segments[k];
      Point3 lo, hi;
      for (int axis = 0; axis < 3; ++axis) {
        lo[axis] = std::min(s.start[axis], s.end[axis]);
        hi[axis] = std::max(s.start[axis], s.end[axis]);
      }
      if (!few) {
        x.nearMask.Mark(lo, hi);
        continue;
      }
      x.nearMask.MarkWidened(lo, hi);
      // The same cells, by layer: a cell's lanes are then exactly the segments that marked it.
      int from[3], to[3];
      if (!mask.CellRange(lo, hi, 1, from, to)) continue;
      const int first[3] = {0, small.firstY, small.firstZ};
      for (int axis = 0; axis < 3; ++axis)
        for (int c = from[axis]; c <= to[axis]; ++c)
          small.layerLanes[size_t(first[axis] + c)] |= uint16_t(1u << small.laneOf[k]);
    }
    if (!few) x.nearMask.Widen();
    return;
  }
  for (int r = 0; r < x.rows; ++r) {
    for (int c = 0; c < x.columns; ++c) {
      const size_t column = size_t(r) * size_t(x.columns) + size_t(c);
      for (uint32_t b = x.columnBins[column]; b < x.columnBins[column + 1]; ++b) {
        const int cell[3] = {c, r, x.binLayer[b]};
        Point3 lo, hi;
        for (int axis = 0; axis < 3; ++axis) {
          lo[axis] = x.Edge(axis, cell[axis]) - x.reach[axis];
          hi[axis] = x.Edge(axis, cell[axis] + 1) + x.reach[axis];
        }
        x.nearMask.Mark(lo, hi);
      }
    }
  }
  x.nearMask.Widen();
}

}  // namespace

EdgeSearchIndex::EdgeSearchIndex(const EdgeSearchIndex& other) : EdgeSearchArrays(other) {
  RefreshView();
}

EdgeSearchIndex::EdgeSearchIndex(EdgeSearchIndex&& other) noexcept
    : EdgeSearchArrays(std::move(other)) {
  RefreshView();
  other.RefreshView();
}

EdgeSearchIndex& EdgeSearchIndex::operator=(const EdgeSearchIndex& other) {
  EdgeSearchArrays::operator=(other);
  RefreshView();
  return *this;
}

EdgeSearchIndex& EdgeSearchIndex::operator=(EdgeSearchIndex&& other) noexcept {
  EdgeSearchArrays::operator=(std::move(other));
  RefreshView();
  other.RefreshView();
  return *this;
}

void EdgeSearchIndex::RefreshView() {
  view = {columnBins.data(), binLayer.data(), binSlots.data(), binChunks.data(),
          chunkBoxes.data(), ax.data(),       ay.data(),       az.data(),
          bx.data(),         by.data(),       bz.data(),       segment.data(),
          columns,           origin.z,        binSize,         columnReachZ.data(),
          reachUnit,         reachSlack};
  treeView = {ax.data(),      ay.data(),         az.data(),
              bx.data(),      by.data(),         bz.data(),
              segment.data(), tree.nodes.data(), uint32_t(tree.nodes.size()) - tree.top,
              tree.top};
}

size_t EdgeSearchArrays::Bytes() const {
  return ringReach.capacity() + columnReachZ.capacity() +
         (columnBins.capacity() + binSlots.capacity() + binChunks.capacity()) * sizeof(uint32_t) +
         columnBoxes.capacity() + blockBoxes.capacity() * sizeof(float) +
         blockColumnsHeld.capacity() * sizeof(uint64_t) + binLayer.capacity() * sizeof(int32_t) +
         chunkBoxes.capacity() * sizeof(float) +
         (ax.capacity() + ay.capacity() + az.capacity() + bx.capacity() + by.capacity() +
          bz.capacity()) *
             sizeof(float) +
         segment.capacity() * sizeof(int32_t) +
         (occupiedFrom[0].capacity() + occupiedFrom[1].capacity() + occupiedFrom[2].capacity() +
          occupiedTo[0].capacity() + occupiedTo[1].capacity() + occupiedTo[2].capacity()) *
             sizeof(float) +
         sizeof(nearMask) + sizeof(small) + small.layerLanes.capacity() * sizeof(uint16_t) +
         tree.nodes.capacity() * sizeof(SearchTreeNode);
}

void BuildEdgeSearchIndex(EdgeSearchIndex& x, const std::vector<EdgeSegment>& segments,
                          const Point3& boundsMin, const Point3& boundsMax, float radius,
                          float distance) {
  if (!(radius > 0.0f) || !std::isfinite(radius)) {
    x = EdgeSearchIndex{};
    return;
  }
  BuildEdgeSearchIndex(
      x, segments, boundsMin, boundsMax, [radius] { return radius; }, distance);
}

void BuildEdgeSearchIndex(EdgeSearchIndex& x, const std::vector<EdgeSegment>& segments,
                          const Point3& boundsMin, const Point3& boundsMax,
                          const std::function<float()>& settleRadius, float distance) {
  x = EdgeSearchIndex{};
  if (segments.empty()) return;
  double lengthSum = 0.0;
  for (const EdgeSegment& s : segments) lengthSum += double(Length(s.end - s.start));
  double bin = kBinLengths * lengthSum / double(segments.size());
  // Segments of no length at all: any size will do.
  float radius = 0.0f;
  bool settled = false;
  if (!(bin > 0.0)) {
    radius = settleRadius();
    settled = true;
    if (!(radius > 0.0f) || !std::isfinite(radius)) return;
    bin = std::max(double(radius), 1.0e-30);
  }
  float slack = 0.0f;
  FillBins(x, segments, Place(x, segments, boundsMin, boundsMax, bin, slack));
  const double perBin = double(x.binSlots.back()) / double(x.binLayer.size());
  if (perBin < kSparseBin) {
    bin = double(x.binSize) * std::min(kFilledBin / perBin, kMostGrowth);
    FillBins(x, segments, Place(x, segments, boundsMin, boundsMax, bin, slack));
  }
  if (!settled) {
    radius = settleRadius();
    if (!(radius > 0.0f) || !std::isfinite(radius)) {
      x = EdgeSearchIndex{};
      return;
    }
  }
  x.radius = radius;
  static std::atomic<uint64_t> builds{0};
  x.build = builds.fetch_add(1, std::memory_order_relaxed) + 1;
  BuildSmallEdgeSet(x.small, segments);
  // The stretches and the mask read nothing that the steps below fill: a large record fills
  // them on a second thread meanwhile.
  const auto stretchesAndMask = [&] {
    FillOccupiedStretches(x, segments);
    FillNearMask(x, segments, boundsMin, boundsMax, std::min(distance, radius));
  };
  std::optional<BuildAlongside> alongside;
  if (BuildAlongside::Worth(segments.size())) alongside.emplace(stretchesAndMask);
  // Segments along a few curves with a Distance reaching past a bin: the walk outwards would
  // meet many bins that are near but hold nothing nearest (or, for a tube's two rims, scan
  // whole bins run by run).
  const bool tree = perBin < kSparseBin && std::min(distance, radius) > x.binSize;
  if (tree) {
    BuildSearchTree(x.tree, x.ax.data(), x.ay.data(), x.az.data(), x.bx.data(), x.by.data(),
                    x.bz.data(), x.binSlots, slack);
  }
  // With a tree, only the walk for the nearest segment at any distance reads the bins, and
  // it scans them whole.
  if (!tree)
    FillRunBoxes(x, slack);
  else
    x.binChunks.assign(x.binLayer.size() + 1, 0);
  FillColumnBoxes(x);
  FillBlockBoxes(x);
  if (alongside)
    alongside->Wait();
  else
    stretchesAndMask();
  // Where nearly every cell is marked (Distance a good part of the object, every edge
  // qualifying) the mask clears next to nothing of the surface, where the shaded points lie:
  // asking it would only cost. Answers are the same either way.
  const NearEdgeMask& mask = x.nearMask;
  const size_t cells = size_t(mask.cells[0]) * size_t(mask.cells[1]) * size_t(mask.cells[2]);
  size_t marked = 0;
  for (uint64_t word : mask.bits) marked += size_t(std::popcount(word));
  x.nearMaskAsked = mask.distance > 0.0f && marked * 8 < cells * 7;
  x.RefreshView();
}
