#pragma once
#include "WindowsDefines.h"
#include "edge_parameters.h"
#include "maxtypes.h"
#include "node_edge_cache.h"

class Mesh;
class MNMesh;

// Fills a new record for a scene node: evaluates the node at time t, snapshots the
// parameters and extracts the qualifying edges of its mesh, then builds the grid.
void BuildNodeEdgeCache(NodeEdgeCache& record, ULONG nodeHandle, const EdgeParameters& params,
                        TimeValue t);

// Copies the parameter snapshot into a record.
void SnapshotParameters(NodeEdgeCache& record, const EdgeParameters& params);

// The two extraction paths; each builds the grid when at least one edge qualified.
void ExtractTriMeshEdges(NodeEdgeCache& record, Mesh& mesh);
void ExtractPolyMeshEdges(NodeEdgeCache& record, MNMesh& mesh);
