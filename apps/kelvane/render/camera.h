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

// A view of the whole scene from the front right and above, Z up, at a 45-degree field of
// view, close enough that the scene's bounding sphere just fits the picture.
CameraDescription DefaultCamera(const HostScene& scene, int width, int height);
