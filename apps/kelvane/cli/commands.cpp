#include "cli/commands.h"

#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <sstream>

#include "cli/points_file.h"
#include "common/input_error.h"
#include "common/output_file.h"
#include "common/progress_bar.h"
#include "common/quoted.h"
#include "render/camera.h"
#include "render/png_writer.h"
#include "render/renderer.h"
#include "render/sample_shade_context.h"
#include "render/surface_distance.h"
#include "render/uv_baker.h"
#include "render/viewport_preview.h"
#include "scene/block_parameters.h"
#include "scene/map_binding.h"

namespace {

std::string NodeNames(const HostScene& scene) {
  std::string names;
  for (const SceneNode& node : scene.Nodes()) names += (names.empty() ? "" : ", ") + node.name;
  return names;
}

const SceneNode& FindNode(const HostScene& scene, const std::string& name,
                          const std::string& where) {
  const SceneNode* node = scene.Find(name);
  if (!node)
    throw InputError(where + "no node called " + Quoted(name) +
                     " (the scene has: " + NodeNames(scene) + ")");
  return *node;
}

// Bytes as a person reads them: 812 bytes, 41 KB, 3.2 MB.
std::string Size(size_t bytes) {
  char text[32];
  if (bytes < 1024)
    std::snprintf(text, sizeof text, "%zu bytes", bytes);
  else if (bytes < 1024 * 1024)
    std::snprintf(text, sizeof text, "%zu KB", (bytes + 512) / 1024);
  else
    std::snprintf(text, sizeof text, "%.1f MB", double(bytes) / (1024.0 * 1024.0));
  return text;
}

std::string Wrote(const std::string& path, int width, int height, size_t bytes) {
  return "wrote " + path + " (" + std::to_string(width) + "x" + std::to_string(height) + ", " +
         Size(bytes) + ")";
}

std::string Wrote(const std::string& path, const RgbaImage& image, size_t bytes) {
  return Wrote(path, image.width, image.height, bytes);
}

bool NearSurface(const SceneNode& node, const Point3& objectPoint, float distance,
                 std::map<const SceneNode*, std::unique_ptr<NodeSurface>>& surfaces) {
  std::unique_ptr<NodeSurface>& surface = surfaces[&node];
  if (!surface) surface = std::make_unique<NodeSurface>(node);
  return surface->Within(objectPoint, distance);
}

}  // namespace

std::string RunRender(const CommandLine& cl, const SceneSession& session, AppEnvironment& env) {
  RenderSettings settings;
  if (cl.size) {
    settings.width = cl.size->width;
    settings.height = cl.size->height;
  } else if (session.Image()) {
    settings.width = session.Image()->width;
    settings.height = session.Image()->height;
  }
  settings.threads = cl.threads.value_or(env.hardwareThreads);
  settings.bump = cl.bump;
  settings.bumpAmount = cl.bumpAmount;
  CameraDescription camera;
  if (cl.camera) {
    camera = *cl.camera;
    camera.up = UpVector(session.Up());
    const Point3 view = (camera.target - camera.position).Normalize();
    if (!(CrossProd(view, camera.up).Length() > 1e-4f))
      throw InputError("--camera: the view runs along the up axis (" +
                       std::string(session.Up() == UpAxis::Y ? "y" : "z") +
                       "); look from the side, or pick the other axis with --up");
  } else if (cl.frame) {
    camera = DefaultCamera({&FindNode(session.Scene(), *cl.frame, "--frame: ")}, settings.width,
                           settings.height, session.Up());
  } else if (session.Camera()) {
    camera = *session.Camera();
  } else {
    camera =
        DefaultCamera(AllNodes(session.Scene()), settings.width, settings.height, session.Up());
  }
  Texmap* map = session.Map();
  std::unique_ptr<Texmap, void (*)(Texmap*)> constant(nullptr, [](Texmap* m) { m->DeleteMe(); });
  if (cl.constantMap) {
    constant.reset(NewConstantColorMap());
    PrepareToShade(map = constant.get());
  }
  RenderTimes times;
  RgbaImage image = Render(session.Scene(), map, camera, settings, env.Progress(), &times);
  const std::string output = cl.output.value_or("kelvane.png");
  const size_t bytes = WritePng(image, output, env.Progress());
  if (cl.stats) {
    const double samples = double(settings.width) * settings.height * kRenderSamplesPerPixel;
    char line[256];
    std::snprintf(
        line, sizeof line,
        "kelvane: %dx%d on %d threads: ray scene built in %.3f s; %.0f samples shaded in %.3f s, "
        "%.3f million samples/s\n",
        settings.width, settings.height, settings.threads, times.buildSeconds, samples,
        times.shadeSeconds, samples / times.shadeSeconds / 1e6);
    env.err << line;
  }
  return Wrote(output, image, bytes);
}

std::string RunSample(const CommandLine& cl, const SceneSession& session, AppEnvironment& env) {
  const std::vector<SamplePoint> points = ReadPointsFile(*cl.points);
  // Every line is checked before anything is printed, so a bad file prints no partial table.
  std::vector<const SceneNode*> nodes;
  for (size_t i = 0; i < points.size(); ++i)
    nodes.push_back(&FindNode(session.Scene(), points[i].node, *cl.points + ": "));

  Texmap* map = session.Map();
  SampleShadeContext sc;
  // To a file, the table is written whole once every point is shaded.
  std::ostringstream table;
  std::ostream& out = cl.output ? table : env.out;
  ProgressBar progress(env.Progress(), "Sampling");
  // Points farther than Distance from their node's surface are most likely given in another
  // frame than the scene's: counted, and told on err once the table is done.
  IParamBlock2* block = map->GetParamBlock(0);
  const float distance = block ? BlockFloat(block, "Distance").value_or(-1.0f) : -1.0f;
  std::map<const SceneNode*, std::unique_ptr<NodeSurface>> surfaces;
  size_t offSurface = 0;
  out << "node,x,y,z,r,g,b,a,mono,bump_x,bump_y,bump_z\n";
  char row[512];
  for (size_t i = 0; i < points.size(); ++i) {
    const SceneNode& node = *nodes[i];
    const Point3& p = points[i].world;
    // One context per point, as the renderer has one per sample: EvalMono finds the colour
    // EvalColor left in its cache.
    sc.Begin(node.node, node.objectToWorld, node.worldToObject, p);
    AColor c = map->EvalColor(sc);
    float mono = map->EvalMono(sc);
    Point3 bump = map->EvalNormalPerturb(sc);
    std::snprintf(row, sizeof row, ",%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g\n",
                  double(p.x), double(p.y), double(p.z), double(c.r), double(c.g), double(c.b),
                  double(c.a), double(mono), double(bump.x), double(bump.y), double(bump.z));
    out << node.name << row;
    if (distance >= 0.0f && !NearSurface(node, p * node.worldToObject, distance, surfaces))
      ++offSurface;
    progress.Show(double(i + 1) / double(points.size()));
  }
  progress.Finish();
  std::string summary = "sampled " + std::to_string(points.size()) + " points";
  if (cl.output) {
    const std::string text = table.str();
    ProgressBar writing(env.Progress(), "Writing " + *cl.output);
    WriteOutputFile(*cl.output, text.data(), text.size(), &writing);
    summary += " into " + *cl.output + " (" + Size(text.size()) + ")";
  }
  out.flush();
  if (offSurface > 0) {
    char distanceText[32];
    std::snprintf(distanceText, sizeof distanceText, "%g", double(distance));
    env.err << "kelvane: " << offSurface << " of " << points.size()
            << " points lie farther than Distance (" << distanceText
            << ") from every surface of their node; points are in world coordinates, as are a "
               "mesh file's own\n";
  }
  return summary;
}

std::string RunBake(const CommandLine& cl, const SceneSession& session, AppEnvironment& env) {
  std::vector<const SceneNode*> nodes;
  for (const std::string& name : cl.nodes)
    nodes.push_back(&FindNode(session.Scene(), name, "--node: "));
  BakeSettings settings;
  settings.size = cl.bakeSize.value_or(512);
  settings.padding = cl.bakePadding;
  settings.threads = cl.threads.value_or(env.hardwareThreads);
  if (cl.bakeDepth == 16) {
    Rgba16Image image = BakeUVs16(nodes, session.Map(), settings, env.Progress());
    return Wrote(*cl.output, image.width, image.height,
                 WritePng(image, *cl.output, env.Progress()));
  }
  RgbaImage image = BakeUVs(nodes, session.Map(), settings, env.Progress());
  return Wrote(*cl.output, image, WritePng(image, *cl.output, env.Progress()));
}

std::string RunPreview(const CommandLine& cl, const SceneSession& session, AppEnvironment& env) {
  RgbaImage image = ViewportPreview(session.Map(), cl.previewSize.value_or(kDefaultPreviewSize));
  return Wrote(*cl.output, image, WritePng(image, *cl.output, env.Progress()));
}

std::string RunSave(const CommandLine& cl, const SceneSession& session, AppEnvironment& env) {
  const size_t bytes = session.Save(*cl.output, env.Progress());
  return "wrote " + *cl.output + " (a scene file, " + Size(bytes) + ")";
}
