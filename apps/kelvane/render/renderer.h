#pragma once
#include <ostream>

#include "imtl.h"
#include "render/camera.h"
#include "render/rgba_image.h"
#include "scene/host_scene.h"

// Primary rays per pixel: a fixed 2 x 2 grid.
inline constexpr int kRenderSamplesPerPixel = 4;

struct RenderSettings {
  int width = 960;
  int height = 540;
  int threads = 1;
  bool bump = false;        // perturb normals with the map's EvalNormalPerturb, at bumpAmount
  float bumpAmount = 0.3f;  // a material's bump slot's amount as a fraction: 0.3 is its default 30
};

// Shoots four primary rays per pixel (a fixed 2 x 2 grid) and shades each hit with the map's
// colour as diffuse colour under a key light from the camera's upper left and some ambient
// light. Each pixel depends only on itself, so any number of threads gives the same picture.
// The map must be up to date (MtlBase::Update) before this is called.
// Shows building the ray scene and shading on progressTo when given; times, when given,
// gets the seconds spent building the ray scene and shading the pixels.
struct RenderTimes {
  double buildSeconds = 0;
  double shadeSeconds = 0;
};
RgbaImage Render(const HostScene& scene, Texmap* map, const CameraDescription& camera,
                 const RenderSettings& settings, std::ostream* progressTo = nullptr,
                 RenderTimes* times = nullptr);
