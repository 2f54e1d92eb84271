#pragma once
#include <memory>

#include "WindowsDefines.h"
#include "edge_parameters.h"
#include "maxtypes.h"
#include "node_edge_cache.h"

class Mesh;
class MeshTempData;
class MNMesh;

// What an extraction built for itself and no longer needs once the record is complete: a
// triangle mesh's adjacency list. Freeing that takes a tenth as long as the extraction on a
// large mesh, so the record cache lets it go only after publishing the record, and threads
// waiting for the record need not wait for it.
struct ExtractionScratch {
  ExtractionScratch();
  ~ExtractionScratch();
  ExtractionScratch(const ExtractionScratch&) = delete;
  ExtractionScratch& operator=(const ExtractionScratch&) = delete;

  std::unique_ptr<MeshTempData> meshTemp;
};

// Fills a new record for a scene node: evaluates the node at time t, snapshots the
// parameters and extracts the qualifying edges of its mesh, then builds the search
// structures. What the extraction needed only for itself is left in `scratch`; without one
// it is freed at once.
void BuildNodeEdgeCache(NodeEdgeCache& record, ULONG nodeHandle, const EdgeParameters& params,
                        TimeValue t, ExtractionScratch& scratch);
void BuildNodeEdgeCache(NodeEdgeCache& record, ULONG nodeHandle, const EdgeParameters& params,
                        TimeValue t);

// Copies the parameter snapshot into a record.
void SnapshotParameters(NodeEdgeCache& record, const EdgeParameters& params);

// Ends a record's build once its segments, bounds, parameters and the cell size from the
// mean edge length are in: the reference grid, then the fast search index over the same
// segments (exact up to the cell size the grid settles on).
void BuildRecordSearch(NodeEdgeCache& record);

// The two extraction paths; each builds the search structures when at least one edge
// qualified. The triangle path builds the mesh's adjacency list in `temp`.
void ExtractTriMeshEdges(NodeEdgeCache& record, Mesh& mesh, MeshTempData& temp);
void ExtractTriMeshEdges(NodeEdgeCache& record, Mesh& mesh);
void ExtractPolyMeshEdges(NodeEdgeCache& record, MNMesh& mesh);
