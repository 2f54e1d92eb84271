#include "scene/host_objects.h"

#include <cstdint>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <unordered_set>

#include "common/input_error.h"
#include "mesh/parallel_chunks.h"
#include "mesh/polygon_triangulation.h"
#include "polyobj.h"
#include "triobj.h"

namespace {

uint64_t EdgeKey(int a, int b) {
  if (a > b) std::swap(a, b);
  return (uint64_t(uint32_t(a)) << 32) | uint32_t(b);
}

std::unordered_set<uint64_t> SelectedEdges(const PolyMeshData& mesh) {
  std::unordered_set<uint64_t> keys;
  for (auto [a, b] : mesh.selectedEdges) keys.insert(EdgeKey(a, b));
  return keys;
}

PolyObject* MakePoly(const PolyMeshData& mesh) {
  PolyObject* object = CreateEditablePolyObject();
  MNMesh& mm = object->GetMesh();
  mm.VAlloc(int(mesh.vertices.size()));
  mm.setNumVerts(int(mesh.vertices.size()));
  ParallelChunks(mesh.vertices.size(), 0, [&](size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i) mm.P(int(i)) = mesh.vertices[i];
  });
  mm.AppendFaces(mesh.NumFaces(), mesh.faceStart.data(), mesh.corners.data(),
                 mesh.smoothingGroups.data(), mesh.materials.data());
  // The edges as auto-smoothing numbered them, when it did.
  if (mesh.cornerEdges.size() == mesh.corners.size())
    mm.FillInMeshFromCornerEdges(mesh.cornerEdges.data(), mesh.cornerEdges.size());
  else
    mm.FillInMesh();
#ifdef __GLIBC__
  // Building the edges leaves tens of MB of freed work arrays in the heap: handed back, they do
  // not add to the peak of the ray scene built next.
  malloc_trim(0);
#endif
  const auto selected = SelectedEdges(mesh);
  if (!selected.empty())
    for (int e = 0; e < mm.ENum(); ++e)
      if (selected.count(EdgeKey(mm.E(e)->v1, mm.E(e)->v2))) mm.E(e)->SetFlag(MN_SEL);
  return object;
}

TriObject* MakeTri(const PolyMeshData& mesh) {
  TriObject* object = CreateNewTriObject();
  Mesh& m = object->GetMesh();
  m.setNumVerts(int(mesh.vertices.size()));
  for (size_t i = 0; i < mesh.vertices.size(); ++i) m.verts[i] = mesh.vertices[i];
  int triangles = 0;
  for (int f = 0; f < mesh.NumFaces(); ++f) triangles += mesh.FaceSize(f) - 2;
  m.setNumFaces(triangles);
  const auto selected = SelectedEdges(mesh);
  int out = 0;
  std::vector<Point3> points;
  for (int f = 0; f < mesh.NumFaces(); ++f) {
    const int n = mesh.FaceSize(f);
    points.clear();
    for (int k = 0; k < n; ++k) points.push_back(mesh.vertices[size_t(mesh.Corner(f, k))]);
    for (const auto& t : TriangulatePolygon(points)) {
      Face& face = m.faces[out];
      face.setVerts(mesh.Corner(f, t[0]), mesh.Corner(f, t[1]), mesh.Corner(f, t[2]));
      face.setSmGroup(mesh.smoothingGroups[size_t(f)]);
      face.setMatID(mesh.materials[size_t(f)]);
      for (int j = 0; j < 3; ++j) {
        int a = t[size_t(j)], b = t[size_t((j + 1) % 3)];
        bool outline = IsPolygonEdge(a, b, n);
        face.setEdgeVis(j, outline);
        if (outline && selected.count(EdgeKey(mesh.Corner(f, a), mesh.Corner(f, b))))
          m.edgeSel.Set(3 * out + j);
      }
      ++out;
    }
  }
  return object;
}

PolyMeshData FromPoly(const MNMesh& mm) {
  PolyMeshData mesh;
  for (int i = 0; i < mm.VNum(); ++i) mesh.vertices.push_back(mm.P(i));
  std::vector<int> face;
  for (int f = 0; f < mm.FNum(); ++f) {
    const MNFace* src = mm.F(f);
    if (src->GetFlag(MN_DEAD) || src->deg < 3) continue;
    face.assign(src->vtx, src->vtx + src->deg);
    mesh.AddFace(face, src->smGroup, src->material);
  }
  for (int e = 0; e < mm.ENum(); ++e)
    if (mm.E(e)->GetFlag(MN_SEL)) mesh.selectedEdges.emplace_back(mm.E(e)->v1, mm.E(e)->v2);
  return mesh;
}

PolyMeshData FromTri(Mesh& m) {
  PolyMeshData mesh;
  for (int i = 0; i < m.getNumVerts(); ++i) mesh.vertices.push_back(m.getVert(i));
  for (int f = 0; f < m.getNumFaces(); ++f) {
    const Face& src = m.faces[f];
    mesh.AddFace({int(src.v[0]), int(src.v[1]), int(src.v[2])}, src.smGroup, src.getMatID());
    for (int j = 0; j < 3; ++j)
      if (m.edgeSel[3 * f + j])
        mesh.selectedEdges.emplace_back(int(src.v[j]), int(src.v[(j + 1) % 3]));
  }
  return mesh;
}

}  // namespace

Object* MakeHostObject(const PolyMeshData& mesh, ObjectKind kind) {
  if (kind == ObjectKind::Tri) return MakeTri(mesh);
  return MakePoly(mesh);
}

PolyMeshData MeshFromHostObject(Object* object, const std::string& what) {
  if (!object) throw InputError(what + ": the node has no object");
  PolyMeshData mesh;
  if (object->IsSubClassOf(polyObjectClassID)) {
    mesh = FromPoly(static_cast<PolyObject*>(object)->GetMesh());
  } else if (object->IsSubClassOf(triObjectClassID)) {
    mesh = FromTri(static_cast<TriObject*>(object)->GetMesh());
  } else if (object->CanConvertToType(polyObjectClassID)) {
    Object* poly = object->ConvertToType(0, polyObjectClassID);
    if (poly && poly->IsSubClassOf(polyObjectClassID))
      mesh = FromPoly(static_cast<PolyObject*>(poly)->GetMesh());
    if (poly && poly != object) poly->DeleteThis();
  }
  ValidateMesh(mesh, what);
  return mesh;
}
