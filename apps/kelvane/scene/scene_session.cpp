#include "scene/scene_session.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <utility>

#include "chunk_format.h"
#include "common/input_error.h"
#include "common/input_file.h"
#include "common/output_file.h"
#include "common/progress_bar.h"
#include "maxapi.h"
#include "maxheap.h"
#include "mesh/mesh_import.h"
#include "scene/default_scene.h"
#include "scene/json_scene.h"
#include "scene/map_binding.h"
#include "scene_file.h"

namespace {

bool HasJsonExtension(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  return ext == ".json";
}

// A mesh file's coordinates are world coordinates, as they are in a JSON scene's "file"
// mesh: a file from a Y-up program stays as it is, upright through the default camera's up.
SceneDescription FromMeshFile(const std::string& path, float smoothAngle,
                              std::ostream* progressTo) {
  SceneDescription scene;
  for (ImportedNode& node : ImportMeshFile(path, smoothAngle, progressTo))
    scene.nodes.push_back(
        NodeDescription{node.name, std::move(node.mesh), ObjectKind::Poly, node.transform});
  return scene;
}

bool Invertible(const Matrix3& m) {
  const Point3 x = m.GetRow(0), y = m.GetRow(1), z = m.GetRow(2);
  const double scale = double(x.Length()) * y.Length() * z.Length();
  const double det = double(DotProd(x, CrossProd(y, z)));
  return std::isfinite(det) && std::isfinite(m.GetRow(3).Length()) && scale > 0.0 &&
         std::fabs(det) > 1e-9 * scale;
}

}  // namespace

bool IsSceneFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char head[sizeof chunkfile::kMagic] = {};
  return in.read(head, sizeof head) && std::memcmp(head, chunkfile::kMagic, sizeof head) == 0;
}

SceneSession::SceneSession(const SceneSource& source, const std::function<ClassDesc*()>& mapClass) {
  RegisterSceneSettingsClass();
  // Mesh files mostly come from Y-up programs; JSON scenes and the host are Z up.
  UpAxis guessed = UpAxis::Z;
  if (!source.path) {
    Build(DefaultScene(source.smoothAngle), mapClass(), source.progressTo);
  } else {
    const std::string& path = *source.path;
    CheckInputFile(path);
    if (HasJsonExtension(path)) {
      Build(LoadJsonScene(path, source.smoothAngle, source.progressTo), mapClass(),
            source.progressTo);
    } else if (IsSceneFile(path)) {
      mapClass();  // the map's class must be known before the file names it
      Load(path, source.progressTo);
    } else {
      Build(FromMeshFile(path, source.smoothAngle, source.progressTo), mapClass(),
            source.progressTo);
      guessed = UpAxis::Y;
    }
  }
  // The user's word first, then the scene's own, then the guess. Saved with the scene when it
  // is not the host's Z, so a saved mesh file comes back upright.
  up = source.up ? *source.up : settings->up ? *settings->up : guessed;
  if (up != UpAxis::Z || settings->up) settings->up = up;
  ApplyParameters(Map(), source.settings);
  PrepareToShade(Map());
}

SceneSession::~SceneSession() = default;

void SceneSession::Build(SceneDescription description, ClassDesc* mapClass,
                         std::ostream* progressTo) {
  // The settings node first: from now on the scene holds the map, and the reset deletes it.
  settings = new SceneSettingsObject;
  INode* holder = GetCOREInterface()->CreateObjectNode(settings);
  holder->SetName(kSettingsNodeName);
  settings->SetMap(CreateMap(mapClass));
  settings->camera = description.camera;
  settings->image = description.image;
  ApplyMapDescription(Map(), description.map);

  scene = std::make_unique<HostScene>(std::move(description), progressTo);
  for (const SceneNode& node : scene->Nodes()) {
    settings->nodes.push_back(node.node->GetHandle());
    if (node.mesh.HasUVs())
      settings->uvs.push_back({node.node->GetHandle(), node.mesh.uvs, node.mesh.uvCorners});
  }
}

void SceneSession::Load(const std::string& path, std::ostream* progressTo) {
  // The host's loader reports no progress of its own: the bar says what is going on.
  ProgressBar loading(progressTo, "Loading " + path.substr(path.find_last_of('/') + 1));
  loading.Show(0.0);
  MSTR error;
  if (LoadScene(Widen(path).c_str(), &error) != IO_OK) throw InputError(Narrow(error.data()));
  loading.Finish();
  Interface* ip = GetCOREInterface();
  INode* holder = ip->GetINodeByName(kSettingsNodeName);
  settings = holder ? dynamic_cast<SceneSettingsObject*>(holder->GetObjectRef()) : nullptr;
  if (!settings)
    throw InputError(path + ": not a scene saved by kelvane (it has no Kelvane scene data)");
  if (!settings->Map()) throw InputError(path + ": the scene's map did not load");

  std::vector<INode*> nodes;
  for (ULONG handle : settings->nodes) {
    INode* node = ip->GetINodeByHandle(handle);
    if (!node || node == holder)
      throw InputError(path + ": the scene lists a node it does not hold");
    if (!Invertible(node->GetObjectTM(0)))
      throw InputError(path + ": node \"" + Narrow(node->GetName()) +
                       "\" has a transform without an inverse");
    nodes.push_back(node);
  }
  if (nodes.empty()) throw InputError(path + ": the scene has no nodes");
  try {
    scene = std::make_unique<HostScene>(nodes);
  } catch (const InputError& e) {
    throw InputError(path + ": " + e.what());
  }
  for (const SceneSettingsObject::NodeUVs& set : settings->uvs) {
    for (SceneNode& node : scene->Nodes()) {
      if (node.node->GetHandle() != set.handle) continue;
      if (set.uvCorners.size() != node.mesh.corners.size())
        throw InputError(path + ": the UVs of node \"" + node.name + "\" do not fit its mesh");
      node.mesh.uvs = set.uvs;
      node.mesh.uvCorners = set.uvCorners;
    }
  }
}

size_t SceneSession::Save(const std::string& path, std::ostream* progressTo) const {
  ProgressBar progress(progressTo, "Saving " + path.substr(path.find_last_of('/') + 1));
  progress.Show(0.0);
  void* data = nullptr;
  size_t size = 0;
  MSTR error;
  if (SaveSceneToMemory(&data, &size, &error) != IO_OK)
    throw std::runtime_error(path + ": " + Narrow(error.data()));
  std::unique_ptr<void, void (*)(void*)> bytes(data, MAX_free);
  WriteOutputFile(path, bytes.get(), size, &progress);
  return size;
}
