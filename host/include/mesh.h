#pragma once
#include "WindowsDefines.h"
#include <vector>
#include "bitarray.h"
#include "hostexport.h"
#include "maxheap.h"
#include "maxtypes.h"
#include "point3.h"

// Face flags: the three edge-visibility bits; the material ID lives in the high word.
#define EDGE_A (1 << 0)
#define EDGE_B (1 << 1)
#define EDGE_C (1 << 2)
#define EDGE_ALL (EDGE_A | EDGE_B | EDGE_C)
#define FACE_MATID_SHIFT 16
#define FACE_MATID_MASK 0xFFFF

class Face : public MaxHeapOperators {
 public:
  DWORD v[3];
  DWORD smGroup;
  DWORD flags;

  Face() : v{0, 0, 0}, smGroup(0), flags(0) {}
  MtlID getMatID() const { return MtlID((flags >> FACE_MATID_SHIFT) & FACE_MATID_MASK); }
  void setMatID(MtlID id) {
    flags =
        (flags & ~(DWORD(FACE_MATID_MASK) << FACE_MATID_SHIFT)) | (DWORD(id) << FACE_MATID_SHIFT);
  }
  DWORD getSmGroup() const { return smGroup; }
  void setSmGroup(DWORD g) { smGroup = g; }
  void setVerts(const DWORD* vrt) {
    v[0] = vrt[0];
    v[1] = vrt[1];
    v[2] = vrt[2];
  }
  void setVerts(int a, int b, int c) {
    v[0] = DWORD(a);
    v[1] = DWORD(b);
    v[2] = DWORD(c);
  }
  DWORD getVert(int index) const { return v[index]; }
  int getEdgeVis(int edge) const { return (flags >> edge) & 1; }
  void setEdgeVis(int edge, int visFlag) {
    if (visFlag)
      flags |= DWORD(1) << edge;
    else
      flags &= ~(DWORD(1) << edge);
  }
  void setEdgeVisFlags(int va, int vb, int vc) {
    setEdgeVis(0, va);
    setEdgeVis(1, vb);
    setEdgeVis(2, vc);
  }
};

// A triangle mesh. The public arrays mirror the host's layout; resize only through setNum*.
class DllExport Mesh : public MaxHeapOperators {
 public:
  int numVerts = 0;
  int numFaces = 0;
  Face* faces = nullptr;
  Point3* verts = nullptr;
  // Edge-selection bits, 3 per face: bit 3 * face + edge.
  BitArray edgeSel;
  BitArray faceSel;
  BitArray vertSel;

  Mesh() = default;
  Mesh(const Mesh& other);
  Mesh& operator=(const Mesh& other);
  ~Mesh();

  BOOL setNumVerts(int ct, BOOL keep = FALSE, BOOL synchSel = TRUE);
  int getNumVerts() const { return numVerts; }
  BOOL setNumFaces(int ct, BOOL keep = FALSE, BOOL synchSel = TRUE);
  int getNumFaces() const { return numFaces; }
  Point3& getVert(int i) { return verts[i]; }
  void setVert(int i, const Point3& p) { verts[i] = p; }
  MtlID getFaceMtlIndex(int i) { return faces[i].getMatID(); }
  void setFaceMtlIndex(int i, MtlID id) { faces[i].setMatID(id); }

 private:
  void Sync();
  std::vector<Face> faceStore;
  std::vector<Point3> vertStore;
};
