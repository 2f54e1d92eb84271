#pragma once
#include "WindowsDefines.h"
#include "edge_parameters.h"
#include "maxtypes.h"
#include "node_edge_cache.h"

class Mesh;
class MNMesh;

// Fills a new record for a scene node: evaluates the node at time t, snapshots the
// parameters and extracts the qualifying edges of its mesh, then builds the search
// structures.
void BuildNodeEdgeCache(NodeEdgeCache& record, ULONG nodeHandle, const EdgeParameters& params,
                        TimeValue t);

// Copies the parameter snapshot into a record.
void SnapshotParameters(NodeEdgeCache& record, const EdgeParameters& params);

// Ends a record's build once its segments, bounds, parameters and the cell size from the
// mean edge length are in: the reference grid, then the fast search index over the same
// segments (exact up to the cell size the grid settles on).
void BuildRecordSearch(NodeEdgeCache& record);

// The two extraction paths; each builds the search structures when at least one edge
// qualified.
void ExtractTriMeshEdges(NodeEdgeCache& record, Mesh& mesh);
void ExtractPolyMeshEdges(NodeEdgeCache& record, MNMesh& mesh);
