#include "bench_workload.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "agreement_check.h"
#include "edge_extraction.h"
#include "edge_parameters.h"
#include "max.h"
#include "query_points.h"

namespace {

constexpr uint64_t kPointSeed = 0x6b656c76616e65ULL;
constexpr uint64_t kRunSeed = 17;
constexpr size_t kRunLength = 256;

double MillisecondsSince(std::chrono::steady_clock::time_point begin) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin)
      .count();
}

// Summed in doubles over float lengths, as the record build sums them.
double MeanEdgeLength(const MNMesh& mm) {
  double sum = 0.0;
  for (int i = 0; i < mm.ENum(); ++i) sum += Length(mm.P(mm.E(i)->v1) - mm.P(mm.E(i)->v2));
  return mm.ENum() > 0 ? sum / mm.ENum() : 0.0;
}

void DescribeGrid(const Workload& w) {
  const NodeEdgeCache& r = w.record;
  size_t longest = 0, listed = 0, nonEmpty = 0;
  for (const GridCell& c : r.cells) {
    longest = std::max(longest, c.edgeIndices.size());
    listed += c.edgeIndices.size();
    nonEmpty += c.edgeIndices.empty() ? 0 : 1;
  }
  std::fprintf(stderr,
               "edge-bench: %s: %zu segments, distance %g, cell %g, grid %d x %d, "
               "%zu cells listing segments (mean list %.0f, longest %zu); "
               "search bins %g across, %d x %d x %d, %zu bins, %zu slots\n",
               w.name.c_str(), r.segments.size(), double(w.distance), double(r.cellSize), r.columns,
               r.rows, nonEmpty, nonEmpty ? double(listed) / double(nonEmpty) : 0.0, longest,
               double(r.search.binSize), r.search.columns, r.search.rows, r.search.layers,
               r.search.binLayer.size(),
               r.search.binSlots.empty() ? size_t(0) : size_t(r.search.binSlots.back()));
}

}  // namespace

size_t RecordBytes(const NodeEdgeCache& record) {
  size_t bytes = record.segments.capacity() * sizeof(EdgeSegment) +
                 record.cells.capacity() * sizeof(GridCell) +
                 record.segmentFaces.capacity() * sizeof(SegmentFaces);
  if (record.cellIndexStore) bytes += record.cellIndexStore->capacity() * sizeof(int);
  return bytes + record.search.Bytes();
}

Workload::~Workload() {
  // The reference indexes refer to the record's segments; the node owns the mesh.
  embree.reset();
  cgal.reset();
  if (node) GetCOREInterface()->DeleteNode(node);
}

std::unique_ptr<Workload> MakeWorkload(Shape shape, const WorkloadOptions& options) {
  std::unique_ptr<Workload> w =
      MakeWorkload(ShapeName(shape), MakeShapeObject(shape, options.edges), EdgeParameters{}, 2.0,
                   options.points);
  w->shape = shape;
  return w;
}

std::unique_ptr<Workload> MakeWorkload(const std::string& name, PolyObject* object,
                                       const EdgeParameters& conditions, double factor,
                                       size_t points) {
  auto w = std::make_unique<Workload>();
  w->name = name;
  w->node = GetCOREInterface()->CreateObjectNode(object);
  w->nodeHandle = w->node->GetHandle();
  w->distance = float(factor * MeanEdgeLength(object->GetMesh()));
  w->params = conditions;
  w->params.distance = w->distance;

  auto begin = std::chrono::steady_clock::now();
  BuildNodeEdgeCache(w->record, w->nodeHandle, w->params, 0);
  w->buildMs = MillisecondsSince(begin);
  if (w->record.segments.empty()) {
    std::fprintf(stderr, "edge-bench: %s: the record holds no segments\n", name.c_str());
    std::exit(EXIT_FAILURE);
  }
  // A couple more builds when they are cheap, keeping the fastest: the first one also pays
  // for faulting in fresh memory.
  for (int again = 0; again < 2 && w->buildMs < 1000.0; ++again) {
    NodeEdgeCache scratch;
    begin = std::chrono::steady_clock::now();
    BuildNodeEdgeCache(scratch, w->nodeHandle, w->params, 0);
    w->buildMs = std::min(w->buildMs, MillisecondsSince(begin));
  }
  w->bytesPerSegment = double(RecordBytes(w->record)) / double(w->record.segments.size());
  DescribeGrid(*w);

  w->embree = std::make_unique<EmbreeSegments>(w->record.segments);
  w->cgal = std::make_unique<CgalSegments>(w->record.segments);

  std::vector<Point3> drawn = SampleSurfacePoints(object->GetMesh(), points, kPointSeed);
  w->coherentOrder = RunShuffled(MortonSorted(drawn), kRunLength, kRunSeed);
  w->randomOrder = RunShuffled(drawn, kRunLength, kRunSeed);

  CheckAgreement(*w, w->randomOrder);
  return w;
}
