#include "meshadj.h"

int MEdge::EdgeIndex(const Face* faces, int side) const {
  if (f[side] == UNDEFINED) return -1;
  const Face& face = faces[f[side]];
  for (int j = 0; j < 3; ++j) {
    DWORD a = face.v[j], b = face.v[(j + 1) % 3];
    if ((a == v[0] && b == v[1]) || (a == v[1] && b == v[0])) return j;
  }
  return -1;
}

BOOL MEdge::Selected(const Face* faces, const BitArray& esel) const {
  for (int side = 0; side < 2; ++side) {
    int j = EdgeIndex(faces, side);
    if (j >= 0 && esel[int(f[side]) * 3 + j]) return TRUE;
  }
  return FALSE;
}

BOOL MEdge::Visible(const Face* faces) const {
  for (int side = 0; side < 2; ++side) {
    int j = EdgeIndex(faces, side);
    if (j >= 0 && faces[f[side]].getEdgeVis(j)) return TRUE;
  }
  return FALSE;
}

AdjEdgeList::AdjEdgeList(Mesh& amesh) : list(nullptr), nverts(amesh.numVerts) {
  list = new DWORDTab[size_t(nverts > 0 ? nverts : 0)];
  for (int fi = 0; fi < amesh.numFaces; ++fi) {
    const Face& face = amesh.faces[fi];
    // A face that names a vertex the mesh does not have contributes no edges.
    if (face.v[0] >= DWORD(nverts) || face.v[1] >= DWORD(nverts) || face.v[2] >= DWORD(nverts))
      continue;
    for (int j = 0; j < 3; ++j) AddEdge(face.v[j], face.v[(j + 1) % 3], DWORD(fi));
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

void AdjEdgeList::AddEdge(DWORD v0, DWORD v1, DWORD face) {
  // A second face joins an edge that has one side free; a third face (non-manifold) starts a
  // new entry.
  const DWORDTab& at = list[v0];
  for (int i = 0; i < at.Count(); ++i) {
    MEdge& e = edges[at[i]];
    bool same = (e.v[0] == v0 && e.v[1] == v1) || (e.v[0] == v1 && e.v[1] == v0);
    if (same && e.f[1] == UNDEFINED && e.f[0] != face) {
      e.f[1] = face;
      return;
    }
  }
  MEdge e;
  e.f[0] = face;
  e.f[1] = UNDEFINED;
  e.v[0] = v0;
  e.v[1] = v1;
  DWORD index = DWORD(edges.Append(1, &e, edges.Count() / 2 + 8));
  list[v0].Append(1, &index, 4);
  if (v1 != v0) list[v1].Append(1, &index, 4);
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
