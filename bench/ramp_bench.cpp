// Cost of one ramp evaluation per shading sample, for ramps of 3, 16 and 64 markers, with
// marker colours only and with a colour map and a transparency map on every marker.
//
//   ramp-bench [benchmark flags]
#include <benchmark/benchmark.h>

#include <vector>

#include "gradient_ramp.h"
#include "imtl.h"
#include "shade_stubs.h"

namespace {

// Evenly spaced markers with every curve mode in turn; map, when given, is every marker's
// colour map and transparency map.
GradientRamp MakeRamp(int count, Texmap* map) {
  GradientRamp ramp;
  ramp.InitDefault();
  ramp.markers.resize(1);
  for (int i = 1; i < count; ++i) {
    float t = float(i) / float(count - 1);
    ramp.AddMarker(t, AColor(t, 1.0f - t, 0.5f, 1.0f));
  }
  for (size_t i = 0; i < ramp.markers.size(); ++i) {
    RampMarker& m = ramp.markers[i];
    m.inMode = int(i % 5);
    m.outMode = int((i + 3) % 5);
    m.colorMap = map;
    m.transparentMap = map;
  }
  return ramp;
}

void BM_Evaluate(benchmark::State& state) {
  // Maps live on the host's heap and leave through DeleteThis.
  Texmap* map = state.range(1) ? new TestMap(AColor(), true) : nullptr;
  GradientRamp ramp = MakeRamp(int(state.range(0)), map);
  // Samples spread over the whole ramp, so the cost is the mean over its segments.
  std::vector<float> ts(1024);
  for (size_t i = 0; i < ts.size(); ++i) ts[i] = float((i * 379) % ts.size()) / ts.size();
  TestShadeContext sc;
  sc.point = Point3(0.1f, 0.2f, 0.3f);
  size_t i = 0;
  for (auto _ : state) {
    AColor c = ramp.Evaluate(sc, ts[i]);
    benchmark::DoNotOptimize(c);
    i = (i + 1) & (ts.size() - 1);
  }
  state.SetItemsProcessed(state.iterations());
  if (map) map->DeleteThis();
}

}  // namespace

BENCHMARK(BM_Evaluate)->ArgNames({"markers", "maps"})->ArgsProduct({{3, 16, 64}, {0, 1}});

BENCHMARK_MAIN();
