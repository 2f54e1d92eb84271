#include "cli/commands.h"

#include <cstdio>
#include <memory>
#include <sstream>

#include "cli/points_file.h"
#include "common/input_error.h"
#include "common/output_file.h"
#include "common/progress_bar.h"
#include "common/quoted.h"
#include "render/png_writer.h"
#include "render/renderer.h"
#include "render/sample_shade_context.h"
#include "render/uv_baker.h"
#include "render/viewport_preview.h"
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

}  // namespace

void RunRender(const CommandLine& cl, const SceneSession& session, AppEnvironment& env) {
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
  CameraDescription camera = session.Camera()
                                 ? *session.Camera()
                                 : DefaultCamera(session.Scene(), settings.width, settings.height);
  Texmap* map = session.Map();
  std::unique_ptr<Texmap, void (*)(Texmap*)> constant(nullptr, [](Texmap* m) { m->DeleteMe(); });
  if (cl.constantMap) {
    constant.reset(NewConstantColorMap());
    PrepareToShade(map = constant.get());
  }
  RenderTimes times;
  RgbaImage image = Render(session.Scene(), map, camera, settings, env.Progress(), &times);
  WritePng(image, cl.output.value_or("kelvane.png"), env.Progress());
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
}

void RunSample(const CommandLine& cl, const SceneSession& session, AppEnvironment& env) {
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
    progress.Show(double(i + 1) / double(points.size()));
  }
  progress.Finish();
  if (cl.output) {
    const std::string text = table.str();
    ProgressBar writing(env.Progress(), "Writing " + *cl.output);
    WriteOutputFile(*cl.output, text.data(), text.size(), &writing);
  }
  out.flush();
}

void RunBake(const CommandLine& cl, const SceneSession& session, AppEnvironment& env) {
  const SceneNode& node = FindNode(session.Scene(), *cl.node, "--node: ");
  RgbaImage image = BakeUVs(node, session.Map(), cl.bakeSize.value_or(512),
                            cl.threads.value_or(env.hardwareThreads), env.Progress());
  WritePng(image, *cl.output, env.Progress());
}

void RunPreview(const CommandLine& cl, const SceneSession& session, AppEnvironment& env) {
  WritePng(ViewportPreview(session.Map(), cl.previewSize.value_or(kDefaultPreviewSize)), *cl.output,
           env.Progress());
}

void RunSave(const CommandLine& cl, const SceneSession& session, AppEnvironment& env) {
  session.Save(*cl.output, env.Progress());
}
