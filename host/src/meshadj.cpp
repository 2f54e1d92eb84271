#include "meshadj.h"

#include <algorithm>
#include <vector>

int MEdge::EdgeIndex(Face* faces, int side) {
  if (f[side] == UNDEFINED) return -1;
  const DWORD* fv = faces[f[side]].v;
  // All three sides compared at once, the first match taken: which side an edge is varies
  // from edge to edge, and a branch per side would be mispredicted.
  auto same = [this](DWORD a, DWORD b) {
    return unsigned((a == v[0]) & (b == v[1])) | unsigned((a == v[1]) & (b == v[0]));
  };
  const unsigned sides = same(fv[0], fv[1]) | same(fv[1], fv[2]) << 1 | same(fv[2], fv[0]) << 2;
  return sides ? __builtin_ctz(sides) : -1;
}

BOOL MEdge::Selected(Face* faces, const BitArray& esel) {
  for (int side = 0; side < 2; ++side) {
    int j = EdgeIndex(faces, side);
    if (j >= 0 && esel[int(f[side]) * 3 + j]) return TRUE;
  }
  return FALSE;
}

BOOL MEdge::Visible(Face* faces) {
  for (int side = 0; side < 2; ++side) {
    int j = EdgeIndex(faces, side);
    if (j >= 0 && faces[f[side]].getEdgeVis(j)) return TRUE;
  }
  return FALSE;
}

AdjEdgeList::AdjEdgeList(Mesh& amesh) : list(nullptr), nverts(amesh.numVerts) {
  const size_t vertexCount = size_t(nverts > 0 ? nverts : 0);
  list = new DWORDTab[vertexCount];
  constexpr DWORD kNone = UNDEFINED;
  // While the edges are found, each is chained, in the order found, to its lower vertex: a
  // later face's side walks only the chain of its lower vertex. The per-vertex lists are
  // made at the end, each once at its final size: grown an edge at a time they cost an
  // allocation or two per vertex, which on a large mesh took longer than finding the edges.
  std::vector<DWORD> head(vertexCount, kNone), tail(vertexCount, kNone);
  std::vector<DWORD> next;
  const size_t expected = size_t(std::max(amesh.numFaces, 0)) / 2 * 3 + 8;
  edges.Resize(int(expected));
  next.reserve(expected);

  for (int fi = 0; fi < amesh.numFaces; ++fi) {
    const Face& face = amesh.faces[fi];
    // A face that names a vertex the mesh does not have contributes no edges.
    if (face.v[0] >= DWORD(nverts) || face.v[1] >= DWORD(nverts) || face.v[2] >= DWORD(nverts))
      continue;
    for (int j = 0; j < 3; ++j) {
      const DWORD v0 = face.v[j], v1 = face.v[(j + 1) % 3];
      const DWORD low = std::min(v0, v1), high = std::max(v0, v1);
      // A second face joins the first edge between the same vertices that has one side free
      // and is not its own; a third face (non-manifold) starts a new entry.
      bool joined = false;
      for (DWORD i = head[low]; i != kNone && !joined; i = next[i]) {
        MEdge& e = edges[i];
        if (std::max(e.v[0], e.v[1]) != high || e.f[1] != UNDEFINED || e.f[0] == DWORD(fi))
          continue;
        e.f[1] = DWORD(fi);
        joined = true;
      }
      if (joined) continue;
      MEdge e;
      e.f[0] = DWORD(fi);
      e.f[1] = UNDEFINED;
      e.v[0] = v0;
      e.v[1] = v1;
      const DWORD index = DWORD(edges.Append(1, &e, edges.Count() / 2 + 8));
      next.push_back(kNone);
      if (tail[low] == kNone)
        head[low] = index;
      else
        next[tail[low]] = index;
      tail[low] = index;
    }
  }

  // Each vertex lists its edges in the order they were found; `head` now counts them.
  std::vector<DWORD>().swap(next);
  std::vector<DWORD>().swap(tail);
  std::vector<DWORD>& count = head;
  std::fill(count.begin(), count.end(), 0);
  for (const MEdge& e : edges) {
    ++count[e.v[0]];
    if (e.v[1] != e.v[0]) ++count[e.v[1]];
  }
  for (size_t v = 0; v < vertexCount; ++v) {
    list[v].SetCount(int(count[v]));
    count[v] = 0;  // from here on, how many are filled in
  }
  for (DWORD i = 0; i < DWORD(edges.Count()); ++i) {
    const MEdge& e = edges[i];
    list[e.v[0]].Addr(0)[count[e.v[0]]++] = i;
    if (e.v[1] != e.v[0]) list[e.v[1]].Addr(0)[count[e.v[1]]++] = i;
  }
}

AdjEdgeList::~AdjEdgeList() {
  delete[] list;
}

int AdjEdgeList::FindEdge(DWORD v0, DWORD v1) const {
  if (v0 >= DWORD(nverts)) return -1;
  const DWORDTab& at = list[v0];
  for (int i = 0; i < at.Count(); ++i) {
    const MEdge& e = edges[at[i]];
    if ((e.v[0] == v0 && e.v[1] == v1) || (e.v[0] == v1 && e.v[1] == v0)) return int(at[i]);
  }
  return -1;
}

MeshTempData::~MeshTempData() {
  freeAll();
}

AdjEdgeList* MeshTempData::AdjEList() {
  if (!edgeList && mesh) edgeList = new AdjEdgeList(*mesh);
  return edgeList;
}

void MeshTempData::freeAll() {
  delete edgeList;
  edgeList = nullptr;
}
