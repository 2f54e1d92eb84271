#include "mnmesh.h"
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <utility>
#include <vector>
#include "host_huge_pages.h"
#include "host_parallel_ranges.h"
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
  ResizeOnAllCores(vertStore, size_t(nvnum < 0 ? 0 : nvnum));
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
  ResizeOnAllCores(faceStore, size_t(nfnum < 0 ? 0 : nfnum));
  Sync();
}

int MNMesh::NewVert(const Point3& p) {
  MNVert vert;
  vert.p = p;
  vertStore.push_back(vert);
  Sync();
  return numv - 1;
}

int* MNMesh::NewCornerBlock(size_t capacity) {
  CornerBlock& block = cornerPool.emplace_back();
  block.ints = std::make_unique_for_overwrite<int[]>(capacity);
  block.capacity = capacity;
  AdviseHugePages(block.ints.get(), capacity * sizeof(int));
  return block.ints.get();
}

int* MNMesh::PoolCorners(int deg) {
  constexpr size_t kBlockInts = size_t(1) << 20;
  const size_t need = 2 * size_t(deg);
  if (cornerPool.empty() || cornerPool.back().capacity - cornerPool.back().used < need)
    NewCornerBlock(std::max(kBlockInts, need));
  CornerBlock& block = cornerPool.back();
  block.used += need;
  return block.ints.get() + block.used - need;
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

int MNMesh::AppendFaces(int count, const int* faceStart, const int* corners, const DWORD* smGroups,
                        const MtlID* materials) {
  const int base = numf;
  if (count <= 0) return base;
  // One pool block for all their lists, filled on every core.
  const size_t lists = 2 * size_t(faceStart[count] - faceStart[0]);
  int* block = NewCornerBlock(lists);
  cornerPool.back().used = lists;
  if (faceStore.capacity() < faceStore.size() + size_t(count))
    ReserveHuge(faceStore, faceStore.size() + size_t(count));
  // Each face is constructed where it is filled, on every core.
  ResizeUnconstructed(faceStore, faceStore.size() + size_t(count));
  ForRanges(size_t(count), [&](size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i) {
      MNFace& face = *::new (static_cast<void*>(&faceStore[size_t(base) + i])) MNFace();
      const int from = faceStart[i], deg = faceStart[i + 1] - from;
      if (deg > 0)
        face.MakePooledPoly(deg, corners + from, block + 2 * size_t(from - faceStart[0]));
      face.smGroup = smGroups[i];
      face.material = materials[i];
    }
  });
  Sync();
  return base;
}

void MNMesh::FillInMesh() {
  FillInEdges(nullptr, 0);
}

void MNMesh::FillInMeshFromCornerEdges(const int* cornerEdges, size_t count) {
  FillInEdges(cornerEdges, count);
}

namespace {

// Whether a corner numbering has its makers (entries -1 - edge) in order from edge 0 and each
// joiner on an edge made before it, at most once; `edges` becomes the makers' count. On every
// core: each range of corners checks its makers against its first, then the ranges are
// chained in order, then each edge's joiners are counted off.
bool NumberedInOrder(const int* given, size_t count, int& edges) {
  struct Range {
    long long makers = 0, firstMade = 0;
    long long latest = -1;  // the most a joiner's edge passes the makers before it in the range
    bool inOrder = true;
  };
  const size_t ranges = RangesOf(count);
  std::vector<Range> of(ranges);
  ForRanges(count, [&](size_t begin, size_t end) {
    size_t r = 0;
    while (count * r / ranges != begin) ++r;
    Range here;
    for (size_t c = begin; c < end; ++c) {
      const long long e = given[c];
      if (e >= 0) {
        here.latest = std::max(here.latest, e - here.makers);
        continue;
      }
      if (here.makers == 0) here.firstMade = -1 - e;
      here.inOrder &= -1 - e == here.firstMade + here.makers;
      ++here.makers;
    }
    of[r] = here;
  });
  long long made = 0;
  for (const Range& r : of) {
    if (!r.inOrder || (r.makers > 0 && r.firstMade != made) || r.latest >= made) return false;
    made += r.makers;
  }
  edges = int(made);
  std::vector<char> joined(size_t(made), 0);
  std::atomic<bool> once{true};
  ForRanges(count, [&](size_t begin, size_t end) {
    for (size_t c = begin; c < end; ++c)
      if (given[c] >= 0 &&
          std::atomic_ref<char>(joined[size_t(given[c])]).exchange(1, std::memory_order_relaxed))
        once.store(false, std::memory_order_relaxed);
  });
  return once.load();
}

}  // namespace

void MNMesh::FillInEdges(const int* given, size_t givenCount) {
  edgeStore.clear();
  const int numVerts = int(vertStore.size());
  const size_t numFaces = faceStore.size();
  // The corners of faces whose vertices all exist, numbered in face order; other faces get no
  // edges.
  // Each face's count (negative for an invalid face) on every core, then summed in order.
  std::vector<int> first;
  AssignHuge(first, numFaces + 1, 0);
  ForRanges(numFaces, [&](size_t begin, size_t end) {
    for (size_t fi = begin; fi < end; ++fi) {
      const MNFace& face = faceStore[fi];
      bool valid = true;
      for (int j = 0; j < face.deg; ++j) valid &= face.vtx[j] >= 0 && face.vtx[j] < numVerts;
      first[fi + 1] = valid ? face.deg : -1;
    }
  });
  for (size_t fi = 0; fi < numFaces; ++fi) {
    if (first[fi + 1] <= 0) given = nullptr;
    first[fi + 1] = first[fi] + std::max(first[fi + 1], 0);
  }
  // A given numbering is used only when it covers every corner and numbers the edges as the
  // walk below would: makers in order, each edge joined at most once after its maker, by a
  // corner of another face along the same two vertices.
  int edges = 0;
  if (given && givenCount == size_t(first.back()) && NumberedInOrder(given, givenCount, edges)) {
    MakeEdges(first, given, edges);
    if (JoinersMatch(first, given)) return;
    edgeStore.clear();
  }
  edges = 0;
  // Calls visit(smaller vertex, larger vertex, face, corner) for each corner's edge, in face
  // order.
  auto forEachEdge = [&](auto visit) {
    for (size_t fi = 0; fi < numFaces; ++fi) {
      const MNFace& face = faceStore[fi];
      if (first[fi + 1] == first[fi]) continue;
      for (int j = 0; j < face.deg; ++j) {
        const int a = face.vtx[j], b = face.vtx[(j + 1) % face.deg];
        visit(std::min(a, b), std::max(a, b), int(fi), first[fi] + j);
      }
    }
  };
  // Corners filed by their edge's smaller vertex, each thread filing its own vertices. Along an
  // edge's run, in face order, the first corner makes an edge, the next of another face joins
  // it, and a later one makes a new edge: each edge is then made by the corner that first
  // names it, and numbered in that corner's order.
  struct End {
    int other, face, corner;
  };
  std::vector<int> start(size_t(numVerts) + 1, 0);
  ForRanges(size_t(numVerts), [&](size_t begin, size_t end) {
    forEachEdge([&](int a, int, int, int) {
      if (size_t(a) >= begin && size_t(a) < end) ++start[size_t(a) + 1];
    });
  });
  for (size_t i = 1; i < start.size(); ++i) start[i] += start[i - 1];
  // Cursors made here rather than in the threads, whose heaps would keep them after.
  std::vector<int> fill(start.begin(), start.end() - 1);
  std::vector<End> ends;
  AssignHuge(ends, size_t(first.back()), End{});
  std::vector<int> maker;  // per corner, the corner that made its edge
  AssignHuge(maker, size_t(first.back()), 0);
  ForRanges(size_t(numVerts), [&](size_t begin, size_t end) {
    forEachEdge([&](int a, int b, int fi, int c) {
      if (size_t(a) >= begin && size_t(a) < end) ends[size_t(fill[size_t(a)]++)] = {b, fi, c};
    });
    for (size_t v = begin; v < end; ++v) {
      const auto from = ends.begin() + start[v], to = ends.begin() + start[v + 1];
      // A vertex has few ends, sorted in place without allocating; the hub of a large fan
      // (a broken file) has many.
      if (to - from > 32)
        std::stable_sort(from, to, [](const End& x, const End& y) { return x.other < y.other; });
      else if (to - from > 1)  // an empty run may sit in an empty array: no from + 1
        for (auto i = from + 1; i < to; ++i)
          for (auto j = i; j != from && (j - 1)->other > j->other; --j) std::iter_swap(j - 1, j);
      const End* open = nullptr;
      for (auto i = from; i != to; ++i) {
        if (open && (open->other != i->other || open->face == i->face)) open = nullptr;
        if (open) {
          maker[size_t(i->corner)] = open->corner;
          open = nullptr;
        } else {
          maker[size_t(i->corner)] = i->corner;
          open = &*i;
        }
      }
    }
  });
  std::vector<End>().swap(ends);
  // Edges numbered in their makers' order, in place: a maker's entry becomes -1 - its edge, a
  // joiner's the edge.
  for (size_t c = 0; c < maker.size(); ++c)
    maker[c] = maker[c] == int(c) ? -1 - edges++ : -1 - maker[size_t(maker[c])];
  MakeEdges(first, maker.data(), edges);
}

bool MNMesh::JoinersMatch(const std::vector<int>& first, const int* cornerEdges) const {
  std::atomic<bool> match{true};
  ForRanges(faceStore.size(), [&](size_t begin, size_t end) {
    for (size_t fi = begin; fi < end; ++fi) {
      const MNFace& face = faceStore[fi];
      if (first[fi + 1] == first[fi]) continue;
      for (int j = 0; j < face.deg; ++j) {
        const int e = cornerEdges[size_t(first[fi] + j)];
        if (e < 0) continue;
        const MNEdge& edge = edgeStore[size_t(e)];
        const int a = face.vtx[j], b = face.vtx[(j + 1) % face.deg];
        if (edge.f1 == int(fi) || std::minmax(a, b) != std::minmax(edge.v1, edge.v2))
          match.store(false, std::memory_order_relaxed);
      }
    }
  });
  return match.load();
}

void MNMesh::MakeEdges(const std::vector<int>& first, const int* cornerEdges, int edges) {
  const size_t numFaces = faceStore.size();
  ReserveHuge(edgeStore, size_t(edges));
  ResizeOnAllCores(edgeStore, size_t(edges));
  // A maker writes its edge's vertices and first face, the joiner only the second face.
  ForRanges(numFaces, [&](size_t begin, size_t end) {
    for (size_t fi = begin; fi < end; ++fi) {
      MNFace& face = faceStore[fi];
      if (first[fi + 1] == first[fi]) continue;
      for (int j = 0; j < face.deg; ++j) {
        const int made = cornerEdges[size_t(first[fi] + j)], e = made < 0 ? -1 - made : made;
        face.edg[j] = e;
        MNEdge& edge = edgeStore[size_t(e)];
        if (made < 0) {
          edge.v1 = face.vtx[j];
          edge.v2 = face.vtx[(j + 1) % face.deg];
          edge.f1 = int(fi);
        } else {
          edge.f2 = int(fi);
        }
      }
    }
  });
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
  ResizeOnAllCores(vertStore, size_t(from.numVerts));
  for (int i = 0; i < from.numVerts; ++i) vertStore[size_t(i)].p = from.verts[i];
  ResizeOnAllCores(faceStore, size_t(from.numFaces));
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
