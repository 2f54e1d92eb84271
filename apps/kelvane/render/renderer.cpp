#include "render/renderer.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "common/progress_bar.h"
#include "render/parallel_for.h"
#include "render/ray_scene.h"
#include "render/sample_shade_context.h"

namespace {

constexpr int kTile = 16;
constexpr int kGrid = 2;  // kGrid x kGrid rays per pixel
static_assert(kGrid * kGrid == kRenderSamplesPerPixel);
constexpr float kAmbient = 0.22f;
const AColor kBackgroundTop(0.30f, 0.32f, 0.35f, 1.0f);
const AColor kBackgroundBottom(0.13f, 0.14f, 0.15f, 1.0f);

class PixelShader {
 public:
  PixelShader(const HostScene& scene, const RayScene& rays, Texmap* map, const CameraFrame& camera,
              const RenderSettings& settings)
      : scene(scene), rays(rays), map(map), camera(camera), settings(settings) {
    light = (camera.up * 0.8f - camera.right * 0.5f - camera.forward * 0.6f).Normalize();
  }

  AColor Pixel(int x, int y, SampleShadeContext& sc) const {
    AColor sum(0.0f, 0.0f, 0.0f, 0.0f);
    for (int j = 0; j < kGrid; ++j)
      for (int i = 0; i < kGrid; ++i) {
        float px = float(x) + (float(i) + 0.5f) / kGrid;
        float py = float(y) + (float(j) + 0.5f) / kGrid;
        sum += Sample(camera.Direction(px, py, settings.width, settings.height), py, sc);
      }
    return sum * (1.0f / (kGrid * kGrid));
  }

 private:
  AColor Sample(const Point3& direction, float py, SampleShadeContext& sc) const {
    auto hit = rays.Trace(camera.eye, direction);
    if (!hit) {
      float t = py / float(settings.height);
      return kBackgroundTop * (1.0f - t) + kBackgroundBottom * t;
    }
    const SceneNode& node = scene.Nodes()[size_t(hit->nodeIndex)];
    sc.Begin(node.node, node.objectToWorld, node.worldToObject, hit->point);
    AColor color = map->EvalColor(sc);
    Point3 normal = hit->normal;
    if (settings.bump) {
      // The map perturbs in the node's object space.
      Point3 bent =
          normal + settings.bumpAmount * sc.VectorFrom(map->EvalNormalPerturb(sc), REF_OBJECT);
      if (bent.LengthSquared() > 0.0f) normal = bent.Normalize();
    }
    float lit = kAmbient + (1.0f - kAmbient) * std::max(0.0f, DotProd(normal, light));
    return AColor(color.r * lit, color.g * lit, color.b * lit, 1.0f);
  }

  const HostScene& scene;
  const RayScene& rays;
  Texmap* map;
  const CameraFrame& camera;
  const RenderSettings& settings;
  Point3 light;
};

}  // namespace

RgbaImage Render(const HostScene& scene, Texmap* map, const CameraDescription& cameraDescription,
                 const RenderSettings& settings, std::ostream* progressTo, RenderTimes* times) {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  const RayScene rays(scene, progressTo);
  const auto built = Clock::now();
  const CameraFrame camera = MakeCameraFrame(cameraDescription, settings.width, settings.height);
  const PixelShader shader(scene, rays, map, camera, settings);
  RgbaImage image(settings.width, settings.height);
  const int tilesX = (settings.width + kTile - 1) / kTile;
  const int tilesY = (settings.height + kTile - 1) / kTile;
  std::vector<SampleShadeContext> contexts(size_t(settings.threads));
  ProgressBar progress(progressTo, "Rendering");
  ParallelFor(tilesX * tilesY, settings.threads, progress, [&](int tile, int worker) {
    const int x0 = (tile % tilesX) * kTile, y0 = (tile / tilesX) * kTile;
    for (int y = y0; y < std::min(y0 + kTile, settings.height); ++y)
      for (int x = x0; x < std::min(x0 + kTile, settings.width); ++x)
        image.Set(x, y, shader.Pixel(x, y, contexts[size_t(worker)]));
  });
  if (times) {
    times->buildSeconds = std::chrono::duration<double>(built - start).count();
    times->shadeSeconds = std::chrono::duration<double>(Clock::now() - built).count();
  }
  return image;
}
