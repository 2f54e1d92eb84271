#include "mnmesh.h"
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>
#include "host_huge_pages.h"
#include "mesh.h"

MNFace::MNFace(const MNFace& from) : FlagUser(from) {
  *this = from;
}

MNFace& MNFace::operator=(const MNFace& from) {
  if (this == &from) return *this;
  FlagUser::operator=(from);
  SetDeg(from.deg);
  for (int i = 0; i < deg; ++i) {
    vtx[i] = from.vtx[i];
    edg[i] = from.edg[i];
  }
  smGroup = from.smGroup;
  material = from.material;
  track = from.track;
  return *this;
}

MNFace::MNFace(MNFace&& from) noexcept : FlagUser(from) {
  *this = std::move(from);
}

MNFace& MNFace::operator=(MNFace&& from) noexcept {
  if (this == &from) return *this;
  FlagUser::operator=(from);
  Free();
  std::swap(deg, from.deg);
  std::swap(vtx, from.vtx);
  std::swap(edg, from.edg);
  std::swap(pooled, from.pooled);
  smGroup = from.smGroup;
  material = from.material;
  track = from.track;
  return *this;
}

MNFace::~MNFace() {
  Free();
}

void MNFace::Free() {
  // edg lives in vtx's block.
  if (!pooled) delete[] vtx;
  vtx = edg = nullptr;
  deg = 0;
  pooled = false;
}

void MNFace::SetDeg(int d) {
  Free();
  if (d <= 0) return;
  deg = d;
  // One block for both lists: a large mesh makes millions of faces.
  vtx = new int[2 * size_t(d)];
  edg = vtx + d;
  for (int i = 0; i < 2 * d; ++i) vtx[i] = -1;
}

void MNFace::MakePoly(int fdeg, const int* vv) {
  SetDeg(fdeg);
  for (int i = 0; i < deg; ++i) vtx[i] = vv[i];
}

void MNFace::MakePooledPoly(int fdeg, const int* vv, int* storage) {
  Free();
  deg = fdeg;
  vtx = storage;
  edg = storage + fdeg;
  pooled = true;
  for (int i = 0; i < fdeg; ++i) {
    vtx[i] = vv[i];
    edg[i] = -1;
  }
}

int MNFace::VertIndex(int vv) const {
  for (int i = 0; i < deg; ++i)
    if (vtx[i] == vv) return i;
  return -1;
}

MNMesh::MNMesh(const MNMesh& from)
    : FlagUser(from),
      vertStore(from.vertStore),
      edgeStore(from.edgeStore),
      faceStore(from.faceStore) {
  Sync();
}

MNMesh& MNMesh::operator=(const MNMesh& from) {
  if (this != &from) {
    FlagUser::operator=(from);
    vertStore = from.vertStore;
    edgeStore = from.edgeStore;
    faceStore = from.faceStore;
    Sync();
  }
  return *this;
}

MNMesh::~MNMesh() = default;

void MNMesh::Sync() {
  numv = int(vertStore.size());
  nume = int(edgeStore.size());
  numf = int(faceStore.size());
  v = vertStore.empty() ? nullptr : vertStore.data();
  e = edgeStore.empty() ? nullptr : edgeStore.data();
  f = faceStore.empty() ? nullptr : faceStore.data();
}

void MNMesh::ClearAndFree() {
  vertStore.clear();
  edgeStore.clear();
  faceStore.clear();
  cornerPool.clear();
  Sync();
}

void MNMesh::setNumVerts(int nvnum) {
  vertStore.resize(size_t(nvnum < 0 ? 0 : nvnum));
  Sync();
}

void MNMesh::VAlloc(int num, bool keep) {
  if (!keep) ClearAndFree();
  ReserveHuge(vertStore, size_t(std::max(num, 0)));
  Sync();
}

void MNMesh::FAlloc(int num, bool keep) {
  if (!keep) ClearAndFree();
  ReserveHuge(faceStore, size_t(std::max(num, 0)));
  Sync();
}

void MNMesh::setNumFaces(int nfnum) {
  faceStore.resize(size_t(nfnum < 0 ? 0 : nfnum));
  Sync();
}

int MNMesh::NewVert(const Point3& p) {
  MNVert vert;
  vert.p = p;
  vertStore.push_back(vert);
  Sync();
  return numv - 1;
}

int* MNMesh::PoolCorners(int deg) {
  constexpr size_t kBlockInts = size_t(1) << 20;
  const size_t need = 2 * size_t(deg);
  if (cornerPool.empty() || cornerPool.back().capacity() - cornerPool.back().size() < need)
    ReserveHuge(cornerPool.emplace_back(), std::max(kBlockInts, need));
  std::vector<int>& block = cornerPool.back();
  block.resize(block.size() + need);
  return block.data() + block.size() - need;
}

int MNMesh::NewFace(int initFace, int degg, const int* vv) {
  MNFace face;
  if (initFace >= 0 && initFace < numf) {
    // The face's other properties, without copying lists about to be replaced.
    const MNFace& from = faceStore[size_t(initFace)];
    face.ImportFlags(from.ExportFlags());
    face.smGroup = from.smGroup;
    face.material = from.material;
    face.track = from.track;
  }
  if (degg > 0)
    face.MakePooledPoly(degg, vv, PoolCorners(degg));
  else
    face.MakePoly(degg, vv);
  faceStore.push_back(std::move(face));
  Sync();
  return numf - 1;
}

namespace {

// The open edges by vertex pair while FillInMesh walks the faces: a small linear-probing
// table that hands back its slots on erase (backward shift), so it stays the size of the
// front of open edges rather than of the mesh.
class OpenEdges {
 public:
  // The edge open under key, or -1.
  int Find(uint64_t key) const {
    if (used == 0) return -1;
    for (size_t i = Slot(key);; i = (i + 1) & mask) {
      if (slots[i].edge < 0) return -1;
      if (slots[i].key == key) return slots[i].edge;
    }
  }
  void Set(uint64_t key, int edge) {
    if (2 * (used + 1) > slots.size()) Grow();
    size_t i = Slot(key);
    while (slots[i].edge >= 0 && slots[i].key != key) i = (i + 1) & mask;
    if (slots[i].edge < 0) ++used;
    slots[i] = {key, edge};
  }
  void Erase(uint64_t key) {
    size_t i = Slot(key);
    while (slots[i].key != key || slots[i].edge < 0) i = (i + 1) & mask;
    // Later entries of the run move back into the hole when their home allows.
    for (size_t j = (i + 1) & mask; slots[j].edge >= 0; j = (j + 1) & mask) {
      const size_t home = Slot(slots[j].key);
      if (((j - home) & mask) >= ((j - i) & mask)) {
        slots[i] = slots[j];
        i = j;
      }
    }
    slots[i].edge = -1;
    --used;
  }

 private:
  struct Entry {
    uint64_t key = 0;
    int edge = -1;
  };
  size_t Slot(uint64_t key) const {
    key ^= key >> 31;
    key *= 0x9E3779B97F4A7C15ull;
    return size_t(key >> 20) & mask;
  }
  void Grow() {
    std::vector<Entry> old = std::move(slots);
    slots.assign(std::max<size_t>(64, 2 * old.size()), Entry{});
    mask = slots.size() - 1;
    for (const Entry& e : old)
      if (e.edge >= 0) {
        size_t i = Slot(e.key);
        while (slots[i].edge >= 0) i = (i + 1) & mask;
        slots[i] = e;
      }
  }
  std::vector<Entry> slots;
  size_t mask = 0, used = 0;
};

}  // namespace

void MNMesh::FillInMesh() {
  edgeStore.clear();
  // At most one edge per corner: one allocation instead of many copies on a large mesh.
  size_t corners = 0;
  for (const MNFace& face : faceStore) corners += size_t(std::max(face.deg, 0));
  ReserveHuge(edgeStore, corners);
  // The open entry of each vertex pair: a second face joins it, a third starts a new one.
  OpenEdges open;
  for (int fi = 0; fi < int(faceStore.size()); ++fi) {
    MNFace& face = faceStore[size_t(fi)];
    bool valid = true;
    for (int j = 0; j < face.deg; ++j)
      valid &= face.vtx[j] >= 0 && face.vtx[j] < int(vertStore.size());
    if (!valid) continue;
    for (int j = 0; j < face.deg; ++j) {
      int a = face.vtx[j], b = face.vtx[(j + 1) % face.deg];
      uint64_t key = (uint64_t(uint32_t(a < b ? a : b)) << 32) | uint32_t(a < b ? b : a);
      const int found = open.Find(key);
      if (found >= 0 && edgeStore[size_t(found)].f2 < 0 && edgeStore[size_t(found)].f1 != fi) {
        edgeStore[size_t(found)].f2 = fi;
        face.edg[j] = found;
        open.Erase(key);
        continue;
      }
      MNEdge edge;
      edge.v1 = a;
      edge.v2 = b;
      edge.f1 = fi;
      edge.f2 = -1;
      edgeStore.push_back(edge);
      face.edg[j] = int(edgeStore.size()) - 1;
      open.Set(key, face.edg[j]);
    }
  }
  Sync();
}

Point3 MNMesh::GetFaceNormal(int fc, bool nrmlz) {
  const MNFace& face = f[fc];
  Point3 n(0.0f, 0.0f, 0.0f);
  for (int j = 0; j < face.deg; ++j) {
    const Point3& a = v[face.vtx[j]].p;
    const Point3& b = v[face.vtx[(j + 1) % face.deg]].p;
    n += a ^ b;
  }
  return nrmlz ? n.Normalize() : n;
}

void MNMesh::SetFromTri(const Mesh& from) {
  // Keeps each triangle a face of its own; edges hidden in the triangle mesh are flagged
  // invisible.
  ClearAndFree();
  vertStore.resize(size_t(from.numVerts));
  for (int i = 0; i < from.numVerts; ++i) vertStore[size_t(i)].p = from.verts[i];
  faceStore.resize(size_t(from.numFaces));
  for (int fi = 0; fi < from.numFaces; ++fi) {
    const Face& t = from.faces[fi];
    int vv[3] = {int(t.v[0]), int(t.v[1]), int(t.v[2])};
    MNFace& face = faceStore[size_t(fi)];
    face.MakePoly(3, vv);
    face.smGroup = t.smGroup;
    face.material = t.getMatID();
  }
  Sync();
  FillInMesh();
  // An edge is invisible only when no adjacent triangle shows it.
  for (MNEdge& edge : edgeStore) edge.SetFlag(MN_EDGE_INVIS);
  for (int fi = 0; fi < from.numFaces; ++fi) {
    for (int j = 0; j < 3; ++j) {
      int ei = faceStore[size_t(fi)].edg[j];
      if (ei < 0) continue;
      MNEdge& edge = edgeStore[size_t(ei)];
      if (from.faces[fi].getEdgeVis(j)) edge.ClearFlag(MN_EDGE_INVIS);
      if (from.edgeSel[3 * fi + j]) edge.SetFlag(MN_SEL);
    }
  }
  Sync();
}

void MNMesh::OutToTri(Mesh& tmesh) const {
  // Fans each polygon from its first vertex; the diagonals are invisible.
  int triangles = 0;
  for (int fi = 0; fi < numf; ++fi)
    if (f[fi].deg >= 3) triangles += f[fi].deg - 2;
  tmesh.setNumVerts(numv);
  for (int i = 0; i < numv; ++i) tmesh.verts[i] = v[i].p;
  tmesh.setNumFaces(triangles);
  int out = 0;
  for (int fi = 0; fi < numf; ++fi) {
    const MNFace& face = f[fi];
    for (int k = 1; k + 1 < face.deg; ++k) {
      Face& t = tmesh.faces[out];
      t.setVerts(face.vtx[0], face.vtx[k], face.vtx[k + 1]);
      t.setSmGroup(face.smGroup);
      t.setMatID(face.material);
      // Polygon edges: (0,1) on the first triangle, (k,k+1) on each, (last,0) on the last.
      int polyEdge[3] = {k == 1 ? 0 : -1, k, k + 2 == face.deg ? face.deg - 1 : -1};
      for (int j = 0; j < 3; ++j) {
        int pe = polyEdge[j];
        int ei = pe >= 0 && face.edg ? face.edg[pe] : -1;
        bool visible = pe >= 0 && !(ei >= 0 && e[ei].GetFlag(MN_EDGE_INVIS));
        t.setEdgeVis(j, visible);
        if (ei >= 0 && e[ei].GetFlag(MN_SEL)) tmesh.edgeSel.Set(3 * out + j);
      }
      ++out;
    }
  }
}
