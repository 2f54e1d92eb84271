#pragma once
#include "WindowsDefines.h"
#include <memory>
#include <vector>
#include "host_uninitialized_storage.h"
#include "hostexport.h"
#include "maxheap.h"
#include "maxtypes.h"
#include "point3.h"

class Mesh;

#define MN_SEL (1 << 0)
#define MN_DEAD (1 << 1)
#define MN_TARG (1 << 2)
#define MN_HIDDEN (1 << 4)
#define MN_USER (1 << 24)
#define MN_EDGE_INVIS (1 << 8)

class FlagUser : public MaxHeapOperators {
  DWORD FlagUserFlags = 0;

 public:
  void SetFlag(DWORD fl, bool val = TRUE) {
    if (val)
      FlagUserFlags |= fl;
    else
      FlagUserFlags &= ~fl;
  }
  void ClearFlag(DWORD fl) { FlagUserFlags &= ~fl; }
  bool GetFlag(DWORD fl) const { return (FlagUserFlags & fl) != 0; }
  void ClearAllFlags() { FlagUserFlags = 0; }
  DWORD ExportFlags() const { return FlagUserFlags; }
  void ImportFlags(DWORD fl) { FlagUserFlags = fl; }
};

class MNVert : public FlagUser {
 public:
  Point3 p;
  int orig = -1;
};

// f2 is -1 on a one-sided (border) edge.
class MNEdge : public FlagUser {
 public:
  int v1 = -1, v2 = -1;
  int f1 = -1, f2 = -1;
  int track = -1;
  int OtherFace(int ff) const { return ff == f1 ? f2 : f1; }
  int OtherVert(int vv) const { return vv == v1 ? v2 : v1; }
};

class DllExport MNFace : public FlagUser {
 public:
  int deg = 0;
  int* vtx = nullptr;
  int* edg = nullptr;
  DWORD smGroup = 0;
  MtlID material = 0;
  int track = -1;

  MNFace() = default;
  MNFace(const MNFace& from);
  MNFace(MNFace&& from) noexcept;
  MNFace& operator=(const MNFace& from);
  MNFace& operator=(MNFace&& from) noexcept;
  ~MNFace();
  void SetDeg(int d);
  void MakePoly(int fdeg, const int* vv);
  int VertIndex(int vv) const;

 private:
  friend class MNMesh;
  void Free();
  // Takes vertex and edge lists in 2 * fdeg ints the mesh owns, rather than a block of its own.
  void MakePooledPoly(int fdeg, const int* vv, int* storage);
  // The lists live in the owning mesh's corner pool: not freed with the face. A copy owns its
  // lists; a move keeps them in the pool, so a moved face must not outlive its mesh.
  bool pooled = false;
};

// A polygon mesh. The public arrays mirror the host's layout; change them through methods.
class DllExport MNMesh : public FlagUser {
 public:
  MNVert* v = nullptr;
  MNEdge* e = nullptr;
  MNFace* f = nullptr;
  int numv = 0, nume = 0, numf = 0;

  MNMesh() = default;
  MNMesh(const MNMesh& from);
  MNMesh& operator=(const MNMesh& from);
  ~MNMesh();

  int VNum() const { return numv; }
  MNVert* V(int i) const { return v + i; }
  Point3& P(int i) const { return v[i].p; }
  int ENum() const { return nume; }
  MNEdge* E(int i) const { return e + i; }
  int FNum() const { return numf; }
  MNFace* F(int i) const { return f + i; }

  void ClearAndFree();
  // Room for num vertices or faces without changing the counts; keep false empties first.
  void VAlloc(int num, bool keep = true);
  void FAlloc(int num, bool keep = true);
  void setNumVerts(int nvnum);
  void setNumFaces(int nfnum);
  int NewVert(const Point3& p);
  // Appends a polygon; returns its index.
  int NewFace(int initFace, int degg, const int* vv);
  // Not in the SDK: the stand-in's NewFace for a large mesh's polygons at once, on every core.
  // Face i has corners[faceStart[i] .. faceStart[i + 1]), smGroups[i] and materials[i].
  // Returns the first new face's index.
  int AppendFaces(int count, const int* faceStart, const int* corners, const DWORD* smGroups,
                  const MtlID* materials);
  // Builds the edge table from the faces: each edge once, shared edges with both faces.
  void FillInMesh();
  // Not in the SDK: FillInMesh for a caller that has numbered the edges already, `count`
  // entries, one per corner of every face in face order: -1 - e on the corner that makes edge
  // e, e on the later corner of another face that joins it, numbered as FillInMesh numbers
  // them. A numbering not of that form (out of order, an edge joined twice, a joiner on other
  // vertices or on its maker's face) is ignored and the edges are built afresh.
  void FillInMeshFromCornerEdges(const int* cornerEdges, size_t count);
  // Newell normal of a face, unit length when nrmlz (a degenerate face gives zero).
  Point3 GetFaceNormal(int fc, bool nrmlz = false);

  // Conversions as the host does them. Triangulating marks the diagonals invisible.
  void SetFromTri(const Mesh& from);
  void OutToTri(Mesh& tmesh) const;

 private:
  void Sync();
  void FillInEdges(const int* cornerEdges, size_t count);
  // The edge table from each corner's edge; first[f] is face f's first corner (faces with
  // none get no edges).
  void MakeEdges(const std::vector<int>& first, const int* cornerEdges, int edges);
  // Whether every joining corner's edge, as made, runs between that corner's two vertices and
  // belongs to another face.
  bool JoinersMatch(const std::vector<int>& first, const int* cornerEdges) const;
  // Room for a face's 2 * deg ints in the corner pool: millions of faces, few allocations.
  int* PoolCorners(int deg);
  UninitializedVector<MNVert> vertStore;
  UninitializedVector<MNEdge> edgeStore;
  UninitializedVector<MNFace> faceStore;
  // Blocks that never move once made, filled from the start. Not zeroed when made: every int
  // is written by the face it is given to.
  struct CornerBlock {
    std::unique_ptr<int[]> ints;
    size_t used = 0, capacity = 0;
  };
  int* NewCornerBlock(size_t capacity);
  std::vector<CornerBlock> cornerPool;
};
