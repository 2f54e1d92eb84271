#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "WindowsDefines.h"
#include "cgal_reference.h"
#include "edge_parameters.h"
#include "embree_reference.h"
#include "node_edge_cache.h"
#include "point3.h"
#include "shape_meshes.h"

class INode;

struct WorkloadOptions {
  size_t edges = 1000000;
  size_t points = 200000;
};

// One shape in a scene node, its record, the two reference indexes over the record's
// segments and the query points, checked to agree before anything is timed.
struct Workload {
  Shape shape = Shape::kPlane;
  std::string name;  // for messages
  INode* node = nullptr;
  ULONG nodeHandle = 0;
  float distance = 0.0f;  // Distance: a number of mean edge lengths of the mesh
  EdgeParameters params;  // what the record is built with
  NodeEdgeCache record;
  double buildMs = 0.0;  // BuildNodeEdgeCache, best of a few builds
  double bytesPerSegment = 0.0;
  std::unique_ptr<EmbreeSegments> embree;
  std::unique_ptr<CgalSegments> cgal;
  // The same points twice: in the order they were drawn, and sorted along a Morton curve.
  // Both are cut into runs and the runs shuffled (see RunShuffled).
  std::vector<Point3> randomOrder;
  std::vector<Point3> coherentOrder;

  Workload() = default;
  Workload(const Workload&) = delete;
  Workload& operator=(const Workload&) = delete;
  ~Workload();
};

// One of the generated shapes, every edge qualifying, Distance twice the mean edge length.
std::unique_ptr<Workload> MakeWorkload(Shape shape, const WorkloadOptions& options);

// A workload over a new polygon object, which the workload's node takes: the edges that
// `conditions` select (its distance is ignored), Distance `factor` mean edge lengths of the
// mesh, `points` points on its surface.
std::unique_ptr<Workload> MakeWorkload(const std::string& name, PolyObject* object,
                                       const EdgeParameters& conditions, double factor,
                                       size_t points);

// Allocated bytes of a record's search data: segments, cells, their index lists and the
// layout the query scans.
size_t RecordBytes(const NodeEdgeCache& record);
