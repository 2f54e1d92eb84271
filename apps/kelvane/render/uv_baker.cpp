#include "render/uv_baker.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "common/input_error.h"
#include "common/progress_bar.h"
#include "mesh/mesh_triangles.h"
#include "render/parallel_for.h"
#include "render/sample_shade_context.h"
#include "render/texel_padding.h"

namespace {

struct Coverage {
  int triangle = -1;
  float b0 = 0, b1 = 0, b2 = 0;  // barycentric weights of the texel centre
};

// Which triangle covers each texel centre, first triangle first. Texel (x, y) covers
// u in [x, x + 1) / size and v in [size - y - 1, size - y) / size.
// Texels already taken (by an earlier node) are left alone.
std::vector<Coverage> Rasterize(const PolyMeshData& mesh,
                                const std::vector<std::array<int, 3>>& triangles, int size,
                                const std::vector<uint8_t>& taken) {
  std::vector<Coverage> texels(size_t(size) * size_t(size));
  for (size_t t = 0; t < triangles.size(); ++t) {
    Point3 uv[3];
    for (int k = 0; k < 3; ++k)
      uv[k] = mesh.uvs[size_t(mesh.uvCorners[size_t(triangles[t][size_t(k)])])] * float(size);
    double area = (double(uv[1].x) - uv[0].x) * (double(uv[2].y) - uv[0].y) -
                  (double(uv[2].x) - uv[0].x) * (double(uv[1].y) - uv[0].y);
    if (!(std::fabs(area) > 0.0)) continue;
    // The texel rows and columns the triangle's box may touch; clamped as floats, since UVs
    // far outside the square would overflow an int.
    auto range = [&](int axis) {
      float lo = std::min({uv[0][axis], uv[1][axis], uv[2][axis]});
      float hi = std::max({uv[0][axis], uv[1][axis], uv[2][axis]});
      float first = std::max(0.0f, std::floor(lo - 0.5f));
      float last = std::min(float(size - 1), std::ceil(hi - 0.5f));
      return first > last ? std::pair<int, int>(1, 0) : std::pair<int, int>(int(first), int(last));
    };
    auto [u0, u1] = range(0);
    auto [v0, v1] = range(1);
    for (int vi = v0; vi <= v1; ++vi)
      for (int ui = u0; ui <= u1; ++ui) {
        const double px = ui + 0.5, py = vi + 0.5;
        double w0 = ((double(uv[1].x) - px) * (double(uv[2].y) - py) -
                     (double(uv[2].x) - px) * (double(uv[1].y) - py)) /
                    area;
        double w1 = ((double(uv[2].x) - px) * (double(uv[0].y) - py) -
                     (double(uv[0].x) - px) * (double(uv[2].y) - py)) /
                    area;
        double w2 = 1.0 - w0 - w1;
        if (w0 < 0.0 || w1 < 0.0 || w2 < 0.0) continue;
        const size_t texel = size_t(size - 1 - vi) * size_t(size) + size_t(ui);
        Coverage& c = texels[texel];
        if (c.triangle >= 0 || taken[texel]) continue;
        c = Coverage{int(t), float(w0), float(w1), float(w2)};
      }
  }
  return texels;
}

template <class Image>
Image Bake(const std::vector<const SceneNode*>& nodes, Texmap* map, const BakeSettings& settings,
           std::ostream* progressTo) {
  for (const SceneNode* node : nodes)
    if (!node->mesh.HasUVs())
      throw InputError("node \"" + node->name + "\" has no UVs to bake into");
  const int size = settings.size;
  Image image(size, size);
  std::vector<uint8_t> covered(size_t(size) * size_t(size), 0);
  std::vector<SampleShadeContext> contexts(static_cast<size_t>(settings.threads));
  for (const SceneNode* each : nodes) {
    const SceneNode& node = *each;
    const PolyMeshData& mesh = node.mesh;
    const auto triangles = TriangulateCorners(mesh);
    const std::vector<Coverage> texels = Rasterize(mesh, triangles, size, covered);
    // Several nodes take turns on the bar.
    ProgressBar progress(progressTo, nodes.size() > 1 ? "Baking " + node.name : "Baking");
    ParallelFor(size, settings.threads, progress, [&](int y, int worker) {
      SampleShadeContext& sc = contexts[size_t(worker)];
      for (int x = 0; x < size; ++x) {
        const Coverage& c = texels[size_t(y) * size_t(size) + size_t(x)];
        if (c.triangle < 0) continue;
        const auto& t = triangles[size_t(c.triangle)];
        Point3 object = c.b0 * mesh.vertices[size_t(mesh.corners[size_t(t[0])])] +
                        c.b1 * mesh.vertices[size_t(mesh.corners[size_t(t[1])])] +
                        c.b2 * mesh.vertices[size_t(mesh.corners[size_t(t[2])])];
        sc.Begin(node.node, node.objectToWorld, node.worldToObject, object * node.objectToWorld);
        AColor color = map->EvalColor(sc);
        color.a = 1.0f;
        image.Set(x, y, color);
      }
    });
    for (size_t i = 0; i < texels.size(); ++i) covered[i] |= texels[i].triangle >= 0;
  }
  if (settings.padding > 0) {
    // Every padded texel copies its source's stored channels, so it matches exactly.
    const std::vector<int> sources = PaddingSources(covered, size, size, settings.padding);
    for (size_t i = 0; i < sources.size(); ++i)
      if (sources[i] >= 0 && !covered[i])
        std::copy_n(&image.pixels[size_t(sources[i]) * 4], 4, &image.pixels[i * 4]);
  }
  return image;
}

}  // namespace

RgbaImage BakeUVs(const std::vector<const SceneNode*>& nodes, Texmap* map,
                  const BakeSettings& settings, std::ostream* progressTo) {
  return Bake<RgbaImage>(nodes, map, settings, progressTo);
}

Rgba16Image BakeUVs16(const std::vector<const SceneNode*>& nodes, Texmap* map,
                      const BakeSettings& settings, std::ostream* progressTo) {
  return Bake<Rgba16Image>(nodes, map, settings, progressTo);
}
