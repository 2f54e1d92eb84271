#pragma once
#include <optional>
#include <vector>

#include "imtl.h"
#include "object.h"
#include "scene/scene_description.h"

// The program's own part of a scene: the map that shades it, the camera, the picture size,
// which nodes are the scene's geometry and their UVs (the host's meshes keep none). It is a
// helper object, held as the object of a node called kSettingsNodeName, so that the host's
// scene files save it, and through its reference the map, with the rest of the scene.
class SceneSettingsObject : public Object {
 public:
  struct NodeUVs {
    ULONG handle = 0;
    std::vector<Point3> uvs;
    std::vector<int> uvCorners;
  };

  std::optional<CameraDescription> camera;
  std::optional<ImageSize> image;
  std::optional<UpAxis> up;  // the default camera's up axis, when the scene chose one
  std::vector<ULONG> nodes;  // handles of the geometry nodes, in scene order
  std::vector<NodeUVs> uvs;

  Texmap* Map() const { return map; }
  // Makes map this object's reference 0.
  void SetMap(Texmap* map);

  Class_ID ClassID() override;
  SClass_ID SuperClassID() override;
  void GetClassName(MSTR& s, bool = true) const override { s = L"Kelvane Scene"; }
  int NumRefs() override { return 1; }
  RefTargetHandle GetReference(int i) override;
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;

 protected:
  void SetReference(int i, RefTargetHandle target) override;

 private:
  Texmap* map = nullptr;
};

// Node names in JSON scenes have no blanks, so this one never meets a user's.
inline constexpr const wchar_t* kSettingsNodeName = L"Kelvane Scene";

// Enters the class in the host's class directory, so loading a scene file can make it. Once
// per process; later calls do nothing.
void RegisterSceneSettingsClass();
