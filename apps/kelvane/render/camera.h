#pragma once
#include <vector>

#include "scene/host_scene.h"
#include "scene/scene_description.h"

// A pinhole camera ready to shoot rays through pixels.
struct CameraFrame {
  Point3 eye;
  Point3 forward, right, up;  // unit, right-handed: right = forward x up
  float halfWidth = 1.0f;     // tan of half the horizontal field of view
  float halfHeight = 1.0f;

  // The unit direction through image position (x, y) in pixels from the top-left corner.
  Point3 Direction(float x, float y, int width, int height) const;
};

CameraFrame MakeCameraFrame(const CameraDescription& camera, int width, int height);

// A view of the nodes from the front right and above, `up` pointing up, at a 45-degree field
// of view, close enough that their bounding sphere just fits the picture. With Y up the view is
// the one a Z-up scene turned from Y up would get.
CameraDescription DefaultCamera(const std::vector<const SceneNode*>& nodes, int width, int height,
                                UpAxis up);

// The nodes of the scene, for DefaultCamera.
std::vector<const SceneNode*> AllNodes(const HostScene& scene);
