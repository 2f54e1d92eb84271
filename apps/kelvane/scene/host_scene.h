#pragma once
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "inode.h"
#include "scene/scene_description.h"

// A node of the scene as the commands use it: the host's node, which the map shades, and the
// polygons it evaluates to, which the renderer and the baker draw.
struct SceneNode {
  std::string name;
  INode* node = nullptr;
  PolyMeshData mesh;  // object space; UVs when the scene gave them
  Matrix3 objectToWorld;
  Matrix3 worldToObject;
};

// The geometry nodes of a scene in the host's scene. They belong to the host's scene, which
// the command empties when it is done (SceneReset).
class HostScene {
 public:
  // Creates a host node (editable poly or triangle object) for every node described, showing
  // the work on progressTo when given. The nodes keep the described meshes: pass the
  // description as an rvalue to hand them over rather than copy them.
  explicit HostScene(SceneDescription scene, std::ostream* progressTo = nullptr);
  // Nodes the host made (a loaded scene file); their polygons come from their evaluated
  // objects.
  explicit HostScene(const std::vector<INode*>& nodes);
  HostScene(const HostScene&) = delete;
  HostScene& operator=(const HostScene&) = delete;

  const std::vector<SceneNode>& Nodes() const { return nodes; }
  std::vector<SceneNode>& Nodes() { return nodes; }
  const SceneNode* Find(const std::string& name) const;

 private:
  std::vector<SceneNode> nodes;
};

// Empties the host's scene when it goes, whatever happened meanwhile: every node and
// whatever only they held (objects, the map) is deleted.
class SceneReset {
 public:
  SceneReset() = default;
  ~SceneReset();
  SceneReset(const SceneReset&) = delete;
  SceneReset& operator=(const SceneReset&) = delete;
};

// Host strings are wide; ours are UTF-8 and node names are plain ASCII in practice.
std::wstring Widen(const std::string& text);
std::string Narrow(const wchar_t* text);
