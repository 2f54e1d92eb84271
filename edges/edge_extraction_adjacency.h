#pragma once
#include <cstdint>
#include <vector>

#include "WindowsDefines.h"
#include "meshadj.h"

// Every edge of a triangle mesh once, as the SDK's AdjEdgeList lists them: in the order first
// met, face by face and side by side; a second face joins the first edge between the same two
// vertices that has a side free and is not its own, a third face starts an entry of its own,
// and a face naming a vertex the mesh lacks gives none. Extraction reads only these: the
// adjacency list's per-vertex lists, an allocation per vertex made and freed again, took
// longer on a large mesh than finding the edges.
//
// Kept in 12 bytes an edge, the vertices read from the faces: on a mesh of a million faces the
// time went to the pages of fresh memory the edges fill rather than to finding them.
struct TriangleEdges {
  struct Entry {
    uint32_t firstSide;  // 3 x face + side of the face that met the edge first
    DWORD secondFace;    // the face that joined it, or UNDEFINED
    DWORD next;          // the next edge with the same lower vertex, while finding them
  };
  std::vector<Entry> entries;

  size_t Count() const { return entries.size(); }
  // Edge i as the SDK's MEdge holds it: faces, then vertices in the first face's order.
  MEdge Edge(const Mesh& mesh, size_t i) const {
    const Entry& e = entries[i];
    const Face& f = mesh.faces[e.firstSide / 3];
    const uint32_t side = e.firstSide % 3;
    MEdge edge;
    edge.f[0] = e.firstSide / 3;
    edge.f[1] = e.secondFace;
    edge.v[0] = f.v[side];
    edge.v[1] = f.v[(side + 1) % 3];
    return edge;
  }
};

// Faces from the 1 431 655 765th on (3 x face no longer fits the side's 32 bits) are left out.
TriangleEdges TriangleMeshEdges(const Mesh& mesh);
