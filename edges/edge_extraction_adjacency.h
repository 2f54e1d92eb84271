#pragma once
#include <vector>

#include "WindowsDefines.h"
#include "meshadj.h"

// Every edge of a triangle mesh once, as the SDK's AdjEdgeList lists them: in the order first
// met, face by face and side by side; a second face joins the first edge between the same two
// vertices that has a side free and is not its own, a third face starts an entry of its own,
// and a face naming a vertex the mesh lacks gives none. Extraction reads only these: the
// adjacency list's per-vertex lists, an allocation per vertex made and freed again, took
// longer on a large mesh than finding the edges.
std::vector<MEdge> TriangleMeshEdges(const Mesh& mesh);
