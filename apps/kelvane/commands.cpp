#include "commands.h"

#include <cstdio>
#include <memory>

#include "input_error.h"
#include "map_binding.h"
#include "png_writer.h"
#include "points_file.h"
#include "renderer.h"
#include "sample_shade_context.h"
#include "uv_baker.h"
#include "viewport_preview.h"

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
    throw InputError(where + "no node called \"" + name + "\" (the scene has: " + NodeNames(scene) +
                     ")");
  return *node;
}

}  // namespace

void RunRender(const CommandLine& cl, const SceneSession& session, CommandContext& context) {
  RenderSettings settings;
  if (cl.size) {
    settings.width = cl.size->width;
    settings.height = cl.size->height;
  } else if (session.Image()) {
    settings.width = session.Image()->width;
    settings.height = session.Image()->height;
  }
  settings.threads = cl.threads.value_or(context.hardwareThreads);
  settings.bump = cl.bump;
  CameraDescription camera = session.Camera()
                                 ? *session.Camera()
                                 : DefaultCamera(session.Scene(), settings.width, settings.height);
  Texmap* map = session.Map();
  std::unique_ptr<Texmap, void (*)(Texmap*)> constant(nullptr, [](Texmap* m) { m->DeleteMe(); });
  if (cl.constantMap) {
    constant.reset(NewConstantColorMap());
    PrepareToShade(map = constant.get());
  }
  ProgressBar progress(context.err, context.terminal, "Rendering");
  RenderTimes times;
  RgbaImage image = Render(session.Scene(), map, camera, settings, progress, &times);
  WritePng(image, cl.output.value_or("kelvane.png"));
  if (cl.stats) {
    const double samples = double(settings.width) * settings.height * kRenderSamplesPerPixel;
    char line[256];
    std::snprintf(
        line, sizeof line,
        "kelvane: %dx%d on %d threads: ray scene built in %.3f s; %.0f samples shaded in %.3f s, "
        "%.3f million samples/s\n",
        settings.width, settings.height, settings.threads, times.buildSeconds, samples,
        times.shadeSeconds, samples / times.shadeSeconds / 1e6);
    context.err << line;
  }
}

void RunSample(const CommandLine& cl, const SceneSession& session, CommandContext& context) {
  const std::vector<SamplePoint> points = ReadPointsFile(*cl.points);
  // Every line is checked before anything is printed, so a bad file prints no partial table.
  std::vector<const SceneNode*> nodes;
  for (size_t i = 0; i < points.size(); ++i)
    nodes.push_back(&FindNode(session.Scene(), points[i].node, *cl.points + ": "));

  Texmap* map = session.Map();
  SampleShadeContext sc;
  context.out << "node,x,y,z,r,g,b,a,mono,bump_x,bump_y,bump_z\n";
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
    context.out << node.name << row;
  }
  context.out.flush();
}

void RunBake(const CommandLine& cl, const SceneSession& session, CommandContext& context) {
  const SceneNode& node = FindNode(session.Scene(), *cl.node, "--node: ");
  ProgressBar progress(context.err, context.terminal, "Baking");
  RgbaImage image = BakeUVs(node, session.Map(), cl.bakeSize.value_or(512),
                            cl.threads.value_or(context.hardwareThreads), progress);
  WritePng(image, *cl.output);
}

void RunPreview(const CommandLine& cl, const SceneSession& session, CommandContext&) {
  WritePng(ViewportPreview(session.Map(), cl.previewSize.value_or(kDefaultPreviewSize)),
           *cl.output);
}

void RunSave(const CommandLine& cl, const SceneSession& session, CommandContext&) {
  session.Save(*cl.output);
}
