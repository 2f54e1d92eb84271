#include "scene/host_scene.h"

#include <algorithm>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <utility>

#include "common/input_error.h"
#include "common/progress_bar.h"
#include "maxapi.h"
#include "mesh/mesh_triangles.h"
#include "scene/host_objects.h"
#include "scene_file.h"

namespace {

void SetTransform(SceneNode& node, const Matrix3& tm) {
  node.node->SetNodeTM(0, tm);
  node.objectToWorld = node.node->GetObjectTM(0);
  node.worldToObject = Inverse(node.objectToWorld);
}

// A triangle object's node draws the triangles the host holds, with each polygon corner's UV
// moved to its triangle corners, so that the same node read back from a saved scene (which
// only has the triangles) draws and bakes alike. The host object splits polygons in face
// order as TriangulateCorners does.
PolyMeshData AsHostTriangles(const PolyMeshData& polygons, Object* object,
                             const std::string& what) {
  PolyMeshData mesh = MeshFromHostObject(object, what);
  if (!polygons.HasUVs()) return mesh;
  mesh.uvs = polygons.uvs;
  for (const auto& triangle : TriangulateCorners(polygons))
    for (int corner : triangle) mesh.uvCorners.push_back(polygons.uvCorners[size_t(corner)]);
  ValidateMesh(mesh, what);
  return mesh;
}

}  // namespace

HostScene::HostScene(SceneDescription scene, std::ostream* progressTo) {
  Interface* ip = GetCOREInterface();
  nodes.reserve(scene.nodes.size());
  ProgressBar progress(progressTo, "Building the scene");
  size_t faces = 0, done = 0;
  bool freedEdges = false;
  for (const NodeDescription& d : scene.nodes) faces += size_t(d.mesh.NumFaces());
  for (NodeDescription& d : scene.nodes) {
    SceneNode& node = nodes.emplace_back();
    node.name = d.name;
    Object* object = MakeHostObject(d.mesh, d.object);
    // Only the host object had a use for them.
    freedEdges |= !d.mesh.cornerEdges.empty();
    decltype(d.mesh.cornerEdges)().swap(d.mesh.cornerEdges);
    node.node = ip->CreateObjectNode(object);
    node.node->SetName(Widen(d.name).c_str());
    SetTransform(node, d.transform);
    done += size_t(d.mesh.NumFaces());
    node.mesh = d.object == ObjectKind::Tri
                    ? AsHostTriangles(d.mesh, object, "node \"" + d.name + "\"")
                    : std::move(d.mesh);
    progress.Show(double(done) / double(std::max<size_t>(faces, 1)));
  }
#ifdef __GLIBC__
  // Handed back, the freed edge numbers do not add to the peak of the ray scene built next.
  if (freedEdges) malloc_trim(0);
#endif
}

HostScene::HostScene(const std::vector<INode*>& hostNodes) {
  for (INode* n : hostNodes) {
    SceneNode& node = nodes.emplace_back();
    node.node = n;
    node.name = Narrow(n->GetName());
    node.objectToWorld = node.node->GetObjectTM(0);
    node.worldToObject = Inverse(node.objectToWorld);
    node.mesh = MeshFromHostObject(node.node->EvalWorldState(0).obj, "node \"" + node.name + "\"");
  }
}

SceneReset::~SceneReset() {
  ResetScene();
}

const SceneNode* HostScene::Find(const std::string& name) const {
  for (const SceneNode& node : nodes)
    if (node.name == name) return &node;
  return nullptr;
}

std::wstring Widen(const std::string& text) {
  // Bytes above 127 are kept as code units of their own: they never match a host name, and
  // the message that says so shows them as they came.
  std::wstring out;
  for (unsigned char c : text) out += wchar_t(c);
  return out;
}

std::string Narrow(const wchar_t* text) {
  std::string out;
  for (; text && *text; ++text) out += *text < 128 ? char(*text) : '?';
  return out;
}
