#pragma once
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "WindowsDefines.h"
#include "host_uninitialized_storage.h"
#include "maxtypes.h"
#include "point3.h"

// A polygon mesh as the program reads or generates it, before it becomes a host object.
// Faces are stored flat: the corners of face f are corners[faceStart[f] .. faceStart[f + 1]).
struct PolyMeshData {
  std::vector<Point3> vertices;
  std::vector<int> faceStart{0};
  std::vector<int> corners;
  std::vector<DWORD> smoothingGroups;  // one mask per face
  std::vector<MtlID> materials;        // one per face, zero-based as the host stores them
  std::vector<std::pair<int, int>> selectedEdges;  // vertex pairs
  // Texture vertices (u, v, 0) and, per corner, which one it uses. Corners rather than
  // vertices, so a UV seam needs no split vertex (which would be an open edge).
  std::vector<Point3> uvs;
  std::vector<int> uvCorners;  // empty: the mesh has no UVs
  // Per corner, its edge as the host's polygon mesh numbers them (-1 - e on the corner that
  // makes edge e, e on the one that joins it), kept from AutoSmooth's edge table so the host
  // object need not file every edge again. Empty when not known; AddFace empties it.
  UninitializedVector<int> cornerEdges;

  int NumFaces() const { return int(faceStart.size()) - 1; }
  int FaceSize(int f) const { return faceStart[size_t(f) + 1] - faceStart[size_t(f)]; }
  int Corner(int f, int k) const { return corners[size_t(faceStart[size_t(f)] + k)]; }
  bool HasUVs() const { return !uvCorners.empty(); }

  void AddFace(const std::vector<int>& verts, DWORD smoothing, MtlID material);
  void AddFace(std::initializer_list<int> verts, DWORD smoothing, MtlID material) {
    AddFace(std::vector<int>(verts), smoothing, material);
  }
};

// The largest one-based material ID a user can give: the host keeps IDs in 16 bits.
inline constexpr long long kMaxMaterialId = 65536;

// Checks what the host and the renderer rely on; throws InputError starting with `what`
// (for example "scene.json: nodes[2].mesh") and naming the first problem found.
void ValidateMesh(const PolyMeshData& mesh, const std::string& what);

// Newell normal of a face, not normalised (its length is twice the face's area).
Point3 FaceNormal(const PolyMeshData& mesh, int f);
