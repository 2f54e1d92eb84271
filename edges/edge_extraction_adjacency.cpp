#include "edge_extraction_adjacency.h"

#include <algorithm>
#include <cstddef>

TriangleEdges TriangleMeshEdges(const Mesh& mesh) {
  constexpr DWORD kNone = UNDEFINED;
  const DWORD vertexCount = DWORD(std::max(mesh.numVerts, 0));
  const size_t faceCount = std::min(size_t(std::max(mesh.numFaces, 0)), size_t(UINT32_MAX / 3));
  TriangleEdges result;
  std::vector<TriangleEdges::Entry>& edges = result.entries;
  edges.reserve(faceCount / 2 * 3 + 8);
  // Each edge is chained, in the order found, to its lower vertex: a later face's side walks
  // only that vertex's chain, and finds the earlier edges first. The walk reads an edge's
  // vertices from its first face, whose index is near the current one's on most meshes.
  struct Chain {
    DWORD head = kNone, tail = kNone;
  };
  std::vector<Chain> chains(vertexCount);
  for (size_t fi = 0; fi < faceCount; ++fi) {
    const Face& face = mesh.faces[fi];
    if (face.v[0] >= vertexCount || face.v[1] >= vertexCount || face.v[2] >= vertexCount) continue;
    for (uint32_t j = 0; j < 3; ++j) {
      const DWORD v0 = face.v[j], v1 = face.v[(j + 1) % 3];
      const DWORD low = std::min(v0, v1), high = std::max(v0, v1);
      Chain& chain = chains[low];
      bool joined = false;
      for (DWORD i = chain.head; i != kNone; i = edges[i].next) {
        TriangleEdges::Entry& e = edges[i];
        if (e.secondFace != kNone || e.firstSide / 3 == fi) continue;
        const DWORD* v = mesh.faces[e.firstSide / 3].v;
        const uint32_t side = e.firstSide % 3;
        if (std::max(v[side], v[(side + 1) % 3]) != high) continue;
        e.secondFace = DWORD(fi);
        joined = true;
        break;
      }
      if (joined) continue;
      const DWORD index = DWORD(edges.size());
      edges.push_back({uint32_t(3 * fi + j), kNone, kNone});
      if (chain.tail == kNone)
        chain.head = index;
      else
        edges[chain.tail].next = index;
      chain.tail = index;
    }
  }
  return result;
}
