// Nearest-edge queries per second: the record's grid against Embree point queries and a CGAL
// AABB tree, over the same segments and points.
//
//   edge-bench [--edges N] [--points N] [benchmark flags]   Google Benchmark runs
//   edge-bench --summary [--edges N] [--points N] [--budget SECONDS] [--models DIR]
//       one line per shape and query order:
//       SHAPE ORDER kelvane=QPS embree=QPS cgal=QPS plain=QPS build_ms=MS embree_build_ms=MS
//       bytes_per_segment=B
//       then a sweep over Distance, one line per shape, query order and factor:
//       sweep SHAPE ORDER factor=F kelvane=QPS embree=QPS plain=QPS build_ms=MS
//       bytes_per_segment=B
//   where plain is the record's straightforward grid scan, the reference the query is checked
//   against, and F is Distance in mean edge lengths of the mesh. The sweep times the query
//   shading's colour asks, bounded by Distance, and Embree's point queries get the same
//   radius. The sweep's dense shapes (every edge qualifies) are the plane, sphere
//   and cylinder at F = 20 and 200 and the Stanford bunny from DIR (by default the models
//   folder beside the source tree) at F = 2, 20 and 200; its sparse shapes are a sphere with
//   three material-ID seams and a cylinder whose two open rims qualify, at F = 20 and 200.
//   Query points lie on the whole surface. edge-bench --help describes the flags.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "bench_workload.h"
#include "edge_extraction.h"
#include "edge_grid_query.h"
#include "nearest_edge.h"
#include "obj_mesh.h"
#include "polyobj.h"
#include "shape_meshes.h"

namespace {

enum class Order { kRandom, kCoherent };
// kKelvaneWithin is the query shading's colour asks: bounded by Distance, as Embree's is.
enum class Method { kKelvane, kKelvaneWithin, kEmbree, kCgal, kPlain };

constexpr Order kOrders[] = {Order::kRandom, Order::kCoherent};
constexpr Method kMethods[] = {Method::kKelvane, Method::kEmbree, Method::kCgal, Method::kPlain};

const char* OrderName(Order o) {
  return o == Order::kRandom ? "random" : "coherent";
}

const char* MethodName(Method m) {
  switch (m) {
    case Method::kKelvane:
      return "kelvane";
    case Method::kKelvaneWithin:
      return "kelvane-within";
    case Method::kEmbree:
      return "embree";
    case Method::kCgal:
      return "cgal";
    case Method::kPlain:
      return "plain";
  }
  return "?";
}

struct Options {
  WorkloadOptions workload;
  bool summary = false;
  double budgetSeconds = 2.0;  // per method, shape and order, in --summary
  std::string models = KELVANE_MODELS_DIR;
  std::string only;  // with --summary, only the lines of this shape
};

Options options;

// One workload at a time: three of a million edges each would not fit comfortably, and the
// benchmarks run shape by shape. Released before main returns, while the scene still exists.
std::unique_ptr<Workload> current;

Workload& CurrentWorkload(Shape shape) {
  if (!current || current->shape != shape) {
    current.reset();
    current = MakeWorkload(shape, options.workload);
  }
  return *current;
}

const std::vector<Point3>& Points(const Workload& w, Order order) {
  return order == Order::kRandom ? w.randomOrder : w.coherentOrder;
}

// Calls f(query) with the method's query function, so the timed loops below are compiled
// once per method with the call inlined into them.
template <class F>
void WithQuery(const Workload& w, Method method, F&& f) {
  switch (method) {
    case Method::kKelvane:
      f([&w](const Point3& p) {
        Point3 nearest;
        return double(NearestEdgeDistance(w.record, p, nearest));
      });
      break;
    case Method::kKelvaneWithin:
      f([&w](const Point3& p) {
        Point3 nearest;
        return double(NearestEdgeDistanceWithin(w.record, p, w.distance, nearest));
      });
      break;
    case Method::kEmbree:
      f([&w](const Point3& p) { return double(w.embree->Nearest(p, w.distance)); });
      break;
    case Method::kCgal:
      f([&w](const Point3& p) { return w.cgal->Nearest(p); });
      break;
    case Method::kPlain:
      f([&w](const Point3& p) {
        Point3 nearest;
        return double(NearestEdgeDistancePlain(w.record, p, nearest));
      });
      break;
  }
}

struct Timing {
  size_t queries = 0;
  double seconds = 0.0;
  double Qps() const { return seconds > 0.0 ? double(queries) / seconds : 0.0; }
};

// CPU time of the calling thread: the machines this runs on are shared, and time spent
// waiting for a core says nothing about a method.
double ThreadSeconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) + 1.0e-9 * double(now.tv_nsec);
}

// Continues through the points from where `t` stopped, wrapping around, for about
// budgetSeconds, and adds what it did to `t`. Looks at the clock after every query at
// first, then, as long as a stretch stays short, after twice as many, up to 4096: where the
// thread's clock is a system call (virtual machines), reading it every 64 queries of a few
// tens of nanoseconds cost a third of their time.
template <class Query>
void TimeQueries(const std::vector<Point3>& points, Query query, double budgetSeconds, Timing& t) {
  double sink = 0.0;
  size_t stride = 1;
  // Wrapped by a comparison: a division per query would cost about as much as the cheapest
  // queries themselves, and hide the difference between methods.
  size_t next = t.queries % points.size();
  const double begin = ThreadSeconds();
  double last = begin;
  for (;;) {
    for (size_t k = 0; k < stride; ++k) {
      sink += query(points[next]);
      if (++next == points.size()) next = 0;
    }
    benchmark::DoNotOptimize(sink);
    t.queries += stride;
    const double now = ThreadSeconds();
    if (now - begin > budgetSeconds) break;
    if (now - last < 1.0e-4 && stride < 4096) stride *= 2;
    last = now;
  }
  t.seconds += ThreadSeconds() - begin;
}

// Queries per second of each method on the workload's points in one order. The methods take
// turns, a slice at a time, so that whatever else the machine does falls on all of them
// alike.
template <size_t N>
void MeasureQps(const Workload& w, Order order, const Method (&methods)[N], double (&qps)[N]) {
  constexpr int kSlices = 8;
  Timing timing[N];
  for (Method method : methods) {
    // A few queries first, so that no method pays for a cold cache alone.
    Timing warm;
    WithQuery(w, method, [&](auto query) { TimeQueries(Points(w, order), query, 0.005, warm); });
  }
  for (int slice = 0; slice < kSlices; ++slice)
    for (size_t m = 0; m < N; ++m)
      WithQuery(w, methods[m], [&](auto query) {
        TimeQueries(Points(w, order), query, options.budgetSeconds / kSlices, timing[m]);
      });
  for (size_t m = 0; m < N; ++m) {
    qps[m] = timing[m].Qps();
    std::fprintf(stderr, "edge-bench: %s %s %s: %zu queries (%zu points) in %.2f s\n",
                 w.name.c_str(), OrderName(order), MethodName(methods[m]), timing[m].queries,
                 Points(w, order).size(), timing[m].seconds);
  }
}

void Summary() {
  for (Shape shape : kShapes) {
    if (!options.only.empty() && options.only != ShapeName(shape)) continue;
    Workload& w = CurrentWorkload(shape);
    for (Order order : kOrders) {
      double qps[std::size(kMethods)] = {};
      MeasureQps(w, order, kMethods, qps);
      std::printf(
          "%s %s kelvane=%.0f embree=%.0f cgal=%.0f plain=%.0f build_ms=%.1f "
          "embree_build_ms=%.1f bytes_per_segment=%.1f\n",
          ShapeName(shape), OrderName(order), qps[0], qps[1], qps[2], qps[3], w.buildMs,
          w.embree->BuildMs(), w.bytesPerSegment);
      std::fflush(stdout);
    }
  }
}

// One shape of the sweep: a new object each time, since a workload's node takes it.
struct SweepShape {
  const char* name;
  std::function<PolyObject*()> make;
  EdgeParameters conditions;
  std::vector<double> factors;
};

std::vector<SweepShape> SweepShapes() {
  const size_t edges = options.workload.edges;
  EdgeParameters seams, rims;
  seams.matId = true;
  rims.openEdges = true;
  std::vector<SweepShape> shapes = {
      {"plane", [=] { return MakeShapeObject(Shape::kPlane, edges); }, {}, {20.0, 200.0}},
      {"sphere", [=] { return MakeShapeObject(Shape::kSphere, edges); }, {}, {20.0, 200.0}},
      {"cylinder", [=] { return MakeShapeObject(Shape::kCylinder, edges); }, {}, {20.0, 200.0}}};
  const std::string bunny = options.models + "/stanford-bunny.obj";
  std::string error;
  if (PolyObject* probe = ReadObjMesh(bunny, error)) {
    probe->DeleteThis();
    shapes.push_back({"bunny",
                      [=] {
                        std::string ignored;
                        return ReadObjMesh(bunny, ignored);
                      },
                      {},
                      {2.0, 20.0, 200.0}});
  } else {
    std::fprintf(stderr, "edge-bench: sweep: bunny skipped: %s\n", error.c_str());
  }
  shapes.push_back({"sphere-seams", [=] { return MakeSeamedSphere(edges); }, seams, {20.0, 200.0}});
  shapes.push_back({"cylinder-rims", [=] { return MakeOpenCylinder(edges); }, rims, {20.0, 200.0}});
  return shapes;
}

void Sweep() {
  constexpr Method kSweepMethods[] = {Method::kKelvaneWithin, Method::kEmbree, Method::kPlain};
  current.reset();
  for (const SweepShape& shape : SweepShapes()) {
    if (!options.only.empty() && options.only != shape.name) continue;
    for (double factor : shape.factors) {
      std::unique_ptr<Workload> w =
          MakeWorkload(shape.name, shape.make(), shape.conditions, factor, options.workload.points);
      for (Order order : kOrders) {
        double qps[std::size(kSweepMethods)] = {};
        MeasureQps(*w, order, kSweepMethods, qps);
        std::printf(
            "sweep %s %s factor=%g kelvane=%.0f embree=%.0f plain=%.0f build_ms=%.1f "
            "bytes_per_segment=%.1f\n",
            shape.name, OrderName(order), factor, qps[0], qps[1], qps[2], w->buildMs,
            w->bytesPerSegment);
        std::fflush(stdout);
      }
    }
  }
}

void BenchRecordBuild(benchmark::State& state, Shape shape) {
  Workload& w = CurrentWorkload(shape);
  const EdgeParameters params = w.params;
  for (auto _ : state) {
    auto record = std::make_unique<NodeEdgeCache>();
    auto begin = std::chrono::steady_clock::now();
    BuildNodeEdgeCache(*record, w.nodeHandle, params, 0);
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
  }
  state.counters["segments"] = double(w.record.segments.size());
  state.counters["bytes_per_segment"] = w.bytesPerSegment;
}

void BenchEmbreeBuild(benchmark::State& state, Shape shape) {
  Workload& w = CurrentWorkload(shape);
  for (auto _ : state) {
    EmbreeSegments embree(w.record.segments);
    state.SetIterationTime(embree.BuildMs() / 1000.0);
  }
}

void BenchQuery(benchmark::State& state, Shape shape, Order order, Method method) {
  const Workload& w = CurrentWorkload(shape);
  const std::vector<Point3>& points = Points(w, order);
  WithQuery(w, method, [&](auto query) {
    size_t i = 0;
    for (auto _ : state) {
      benchmark::DoNotOptimize(query(points[i]));
      if (++i == points.size()) i = 0;
    }
  });
  state.SetItemsProcessed(int64_t(state.iterations()));
}

void RegisterBenchmarks() {
  for (Shape shape : kShapes) {
    std::string s = ShapeName(shape);
    benchmark::RegisterBenchmark(("build/" + s + "/kelvane").c_str(), BenchRecordBuild, shape)
        ->Iterations(3)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("build/" + s + "/embree").c_str(), BenchEmbreeBuild, shape)
        ->Iterations(3)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    for (Order order : kOrders)
      for (Method method : kMethods)
        benchmark::RegisterBenchmark(
            ("query/" + s + "/" + OrderName(order) + "/" + MethodName(method)).c_str(), BenchQuery,
            shape, order, method)
            ->Unit(benchmark::kMicrosecond);
  }
}

[[noreturn]] void Usage(const char* problem) {
  std::fprintf(stderr,
               "edge-bench: %s\nusage: edge-bench [--summary] [--edges N] [--points N] "
               "[--budget SECONDS] [--models DIR] [--shape NAME] [benchmark flags] (--help "
               "describes them)\n",
               problem);
  std::exit(2);
}

void Help() {
  std::printf(
      "usage: edge-bench [--edges N] [--points N] [benchmark flags]\n"
      "       edge-bench --summary [--edges N] [--points N] [--budget SECONDS] [--models DIR]\n"
      "                  [--shape NAME]\n"
      "\n"
      "Nearest-edge queries per second on three generated meshes (plane, sphere, tall\n"
      "cylinder): the record's search against Embree point queries, a CGAL AABB tree and the\n"
      "record's plain grid scan, over the same segments and points, checked to agree first.\n"
      "\n"
      "  --summary         one line per shape and query order instead of Google Benchmark's\n"
      "                    table: SHAPE ORDER kelvane=QPS embree=QPS cgal=QPS plain=QPS\n"
      "                    build_ms=MS embree_build_ms=MS bytes_per_segment=B, then a sweep\n"
      "                    over Distance: sweep SHAPE ORDER factor=F kelvane=QPS embree=QPS\n"
      "                    plain=QPS build_ms=MS bytes_per_segment=B\n"
      "  --edges N         qualifying edges per mesh (default %zu)\n"
      "  --points N        query points (default %zu)\n"
      "  --budget SECONDS  time per method, shape and order with --summary (default %g)\n"
      "  --models DIR      where stanford-bunny.obj is (default: the models folder beside\n"
      "                    the source tree); without it the bunny's sweep lines are skipped\n"
      "  --shape NAME      with --summary, only the lines of that shape (plane, sphere-seams...)\n"
      "  --help            this text\n"
      "  benchmark flags   Google Benchmark's own, such as --benchmark_filter=REGEX,\n"
      "                    --benchmark_repetitions=N, --benchmark_format=json\n",
      options.workload.edges, options.workload.points, options.budgetSeconds);
}

// Takes this program's own flags out of argv, leaving Google Benchmark's.
void ParseOwnFlags(int& argc, char** argv) {
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      Help();
      std::exit(0);
    }
    auto value = [&](const char* flag) -> const char* {
      size_t n = std::strlen(flag);
      if (std::strncmp(arg, flag, n) != 0) return nullptr;
      if (arg[n] == '=') return arg + n + 1;
      if (arg[n] != '\0') return nullptr;
      if (i + 1 >= argc) Usage("a flag needs a value");
      return argv[++i];
    };
    auto count = [](const char* text) {
      char* end = nullptr;
      unsigned long long n = std::strtoull(text, &end, 10);
      if (end == text || *end != '\0' || n == 0) Usage("expected a positive count");
      return size_t(n);
    };
    if (std::strcmp(arg, "--summary") == 0) {
      options.summary = true;
    } else if (const char* v = value("--edges")) {
      options.workload.edges = count(v);
    } else if (const char* v2 = value("--points")) {
      options.workload.points = count(v2);
    } else if (const char* name = value("--shape")) {
      options.only = name;
    } else if (const char* dir = value("--models")) {
      options.models = dir;
    } else if (const char* v3 = value("--budget")) {
      char* end = nullptr;
      options.budgetSeconds = std::strtod(v3, &end);
      if (end == v3 || *end != '\0' || !(options.budgetSeconds > 0.0)) Usage("bad --budget");
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;
  argv[argc] = nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  ParseOwnFlags(argc, argv);
  if (options.summary) {
    if (argc > 1) Usage("unknown argument with --summary");
    Summary();
    Sweep();
    current.reset();
    return 0;
  }
  RegisterBenchmarks();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  current.reset();
  benchmark::Shutdown();
  return 0;
}
