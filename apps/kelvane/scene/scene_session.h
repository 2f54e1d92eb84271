#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "scene/host_scene.h"
#include "scene/scene_description.h"
#include "scene/scene_settings.h"

class ClassDesc;

// Where a scene comes from, as the command line names it.
struct SceneSource {
  std::optional<std::string> path;  // none: the built-in scene
  float smoothAngle = 30.0f;
  std::vector<ParameterSetting> settings;  // --set, applied after the scene's own
  std::optional<UpAxis> up;                // --up: the default camera's up axis
  std::ostream* progressTo = nullptr;      // where loading shows its progress
};

// One command's scene in the host: its geometry nodes, the map that shades them, and the
// camera and picture size it asks for. The host's scene is emptied when the session ends.
class SceneSession {
 public:
  // Reads the source (a JSON scene, a scene file, a mesh file or the built-in scene), makes
  // the map from mapClass (asked for only once the scene has been read) and readies it to
  // shade. Throws InputError for anything wrong with the input.
  SceneSession(const SceneSource& source, const std::function<ClassDesc*()>& mapClass);
  ~SceneSession();
  SceneSession(const SceneSession&) = delete;
  SceneSession& operator=(const SceneSession&) = delete;

  const HostScene& Scene() const { return *scene; }
  Texmap* Map() const { return settings->Map(); }
  const std::optional<CameraDescription>& Camera() const { return settings->camera; }
  const std::optional<ImageSize>& Image() const { return settings->image; }
  // The up axis of cameras the program makes: --up, else the scene file's, else Y for a mesh
  // file and Z for anything else.
  UpAxis Up() const { return up; }

  // Writes the whole scene, map included, as a host scene file (WriteOutputFile: a failed
  // write keeps the old file), showing the write on progressTo when given. Returns the bytes
  // written.
  size_t Save(const std::string& path, std::ostream* progressTo = nullptr) const;

 private:
  void Build(SceneDescription description, ClassDesc* mapClass, std::ostream* progressTo);
  void Load(const std::string& path, std::ostream* progressTo);

  SceneReset reset;  // first member: it goes last, and also when a constructor throws
  std::unique_ptr<HostScene> scene;
  SceneSettingsObject* settings = nullptr;  // the object of the settings node
  UpAxis up = UpAxis::Z;
};

// True when the file starts like a host scene file.
bool IsSceneFile(const std::string& path);
