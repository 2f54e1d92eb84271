#pragma once
#include "WindowsDefines.h"
#include "bitarray.h"
#include "hostexport.h"
#include "maxheap.h"
#include "mesh.h"
#include "tab.h"

#define UNDEFINED 0xffffffff

// One edge of a triangle mesh: its faces (f[1] is UNDEFINED on an open edge) and its
// vertices in the order the first face lists them.
class DllExport MEdge : public MaxHeapOperators {
 public:
  DWORD f[2];
  DWORD v[2];

  // Which of face f[side]'s three edges this is, or -1.
  // Not const, as in the SDK: callers hold the edge non-const.
  int EdgeIndex(Face* faces, int side);
  // Selected or visible in either adjacent face.
  BOOL Selected(Face* faces, const BitArray& esel);
  BOOL Visible(Face* faces);
  DWORD OtherVert(DWORD vv) { return v[0] == vv ? v[1] : v[0]; }
  DWORD OtherFace(DWORD ff) { return f[0] == ff ? f[1] : f[0]; }
};

// Every edge of a mesh once, with the edges at each vertex.
class DllExport AdjEdgeList : public MaxHeapOperators {
 public:
  DWORDTab* list;
  Tab<MEdge> edges;
  int nverts;

  explicit AdjEdgeList(Mesh& amesh);
  ~AdjEdgeList();
  AdjEdgeList(const AdjEdgeList&) = delete;
  AdjEdgeList& operator=(const AdjEdgeList&) = delete;
  DWORDTab& operator[](int i) { return list[i]; }
  int FindEdge(DWORD v0, DWORD v1) const;
};

// Caches derived topology of a mesh; owns what it hands out.
class DllExport MeshTempData : public MaxHeapOperators {
 public:
  MeshTempData() = default;
  explicit MeshTempData(Mesh* m) : mesh(m) {}
  ~MeshTempData();
  MeshTempData(const MeshTempData&) = delete;
  MeshTempData& operator=(const MeshTempData&) = delete;
  void SetMesh(Mesh* m) {
    freeAll();
    mesh = m;
  }
  AdjEdgeList* AdjEList();
  void freeAll();

 private:
  Mesh* mesh = nullptr;
  AdjEdgeList* edgeList = nullptr;
};
