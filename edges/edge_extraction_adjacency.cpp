#include "edge_extraction_adjacency.h"

#include <algorithm>
#include <cstddef>

std::vector<MEdge> TriangleMeshEdges(const Mesh& mesh) {
  constexpr DWORD kNone = UNDEFINED;
  const DWORD vertexCount = DWORD(std::max(mesh.numVerts, 0));
  const size_t faceCount = size_t(std::max(mesh.numFaces, 0));
  std::vector<MEdge> edges;
  edges.reserve(faceCount / 2 * 3 + 8);
  // Each edge is chained, in the order found, to its lower vertex: a later face's side walks
  // only that vertex's chain, and finds the earlier edges first. The chain links hold each
  // edge's higher vertex, so a walk reads the edges themselves only at a match.
  struct Chain {
    DWORD head = kNone, tail = kNone;
  };
  struct Link {
    DWORD next, high;
  };
  std::vector<Chain> chains(vertexCount);
  std::vector<Link> links;
  links.reserve(edges.capacity());
  for (size_t fi = 0; fi < faceCount; ++fi) {
    const Face& face = mesh.faces[fi];
    if (face.v[0] >= vertexCount || face.v[1] >= vertexCount || face.v[2] >= vertexCount) continue;
    for (int j = 0; j < 3; ++j) {
      const DWORD v0 = face.v[j], v1 = face.v[(j + 1) % 3];
      const DWORD low = std::min(v0, v1), high = std::max(v0, v1);
      Chain& chain = chains[low];
      bool joined = false;
      for (DWORD i = chain.head; i != kNone; i = links[i].next) {
        if (links[i].high != high) continue;
        MEdge& e = edges[i];
        if (e.f[1] != kNone || e.f[0] == DWORD(fi)) continue;
        e.f[1] = DWORD(fi);
        joined = true;
        break;
      }
      if (joined) continue;
      MEdge& e = edges.emplace_back();
      e.f[0] = DWORD(fi);
      e.f[1] = kNone;
      e.v[0] = v0;
      e.v[1] = v1;
      const DWORD index = DWORD(links.size());
      links.push_back({kNone, high});
      (chain.tail == kNone ? chain.head : links[chain.tail].next) = index;
      chain.tail = index;
    }
  }
  return edges;
}
