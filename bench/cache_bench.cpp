// How long render threads wait for records: the first sample of a render, where every
// thread asks for nodes whose records do not exist yet. Compares the cache's parallel
// extraction with one lock held during each extraction.
//
//   cache-bench [--nodes N] [--edges N] [--threads N] [--runs N]
//
// Each thread asks for every node once, starting at its own offset (threads shade different
// parts of the image first). Reported, as the median over the runs: the mean and the slowest
// of the threads' first-sample latencies, and the time until every record exists.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "edge_cache.h"
#include "edge_extraction.h"
#include "max.h"
#include "shape_meshes.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
  int nodes = 8;
  size_t edges = 250000;
  int threads = 2;
  int runs = 5;
};

// The baseline: the map's lock held for the whole find-or-build.
class GlobalLockCache {
 public:
  const NodeEdgeCache* GetEdgeData(ULONG nodeHandle, TimeValue t, const EdgeParameters& params) {
    std::lock_guard<OsMng::CMutex> hold(lock);
    std::unique_ptr<NodeEdgeCache>& record = records[nodeHandle];
    if (!record) {
      record = std::make_unique<NodeEdgeCache>();
      BuildNodeEdgeCache(*record, nodeHandle, params, t);
    }
    return record.get();
  }
  void ClearEdgeCache() {
    std::lock_guard<OsMng::CMutex> hold(lock);
    records.clear();
  }

 private:
  std::map<ULONG, std::unique_ptr<NodeEdgeCache>> records;
  OsMng::CMutex lock;
};

struct RunTimes {
  double meanFirstMs = 0.0;
  double slowestFirstMs = 0.0;
  double allMs = 0.0;
};

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

template <typename Cache>
RunTimes Run(Cache& cache, const std::vector<ULONG>& handles, int threadCount) {
  const EdgeParameters params;
  std::vector<Clock::duration> first(static_cast<size_t>(threadCount));
  std::vector<std::thread> threads;
  size_t found = 0;
  std::mutex foundLock;
  const Clock::time_point start = Clock::now();
  for (int t = 0; t < threadCount; ++t) {
    threads.emplace_back([&, t] {
      const size_t n = handles.size();
      const size_t offset = size_t(t) * n / size_t(threadCount);
      size_t segments = 0;
      for (size_t i = 0; i < n; ++i) {
        segments += cache.GetEdgeData(handles[(offset + i) % n], 0, params)->segments.size();
        if (i == 0) first[size_t(t)] = Clock::now() - start;
      }
      std::lock_guard<std::mutex> hold(foundLock);
      found += segments;
    });
  }
  for (auto& thread : threads) thread.join();
  RunTimes times;
  times.allMs = Ms(Clock::now() - start);
  for (auto d : first) {
    times.meanFirstMs += Ms(d) / threadCount;
    times.slowestFirstMs = std::max(times.slowestFirstMs, Ms(d));
  }
  if (found == 0) std::fprintf(stderr, "cache-bench: no segments were extracted\n");
  cache.ClearEdgeCache();
  return times;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Collects one strategy's runs and reports their medians.
struct Samples {
  std::vector<double> meanFirst, slowestFirst, all;
  void Add(const RunTimes& t) {
    meanFirst.push_back(t.meanFirstMs);
    slowestFirst.push_back(t.slowestFirstMs);
    all.push_back(t.allMs);
  }
  RunTimes Medians() const { return {Median(meanFirst), Median(slowestFirst), Median(all)}; }
};

// Other processes on the machine compete for the cores that parallel extraction needs.
std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string oneMinute;
  return in >> oneMinute ? oneMinute : std::string("unknown");
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    long value = hasValue ? std::strtol(argv[i + 1], nullptr, 10) : 0;
    if (!hasValue || value < 1) return false;
    if (!std::strcmp(argv[i], "--nodes")) {
      options.nodes = int(value);
    } else if (!std::strcmp(argv[i], "--edges")) {
      options.edges = size_t(value);
    } else if (!std::strcmp(argv[i], "--threads")) {
      options.threads = int(value);
    } else if (!std::strcmp(argv[i], "--runs")) {
      options.runs = int(value);
    } else {
      return false;
    }
    ++i;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr, "usage: cache-bench [--nodes N] [--edges N] [--threads N] [--runs N]\n");
    return 2;
  }
  Interface* core = GetCOREInterface();
  std::vector<INode*> nodes;
  std::vector<ULONG> handles;
  for (int i = 0; i < options.nodes; ++i) {
    nodes.push_back(core->CreateObjectNode(MakeShapeObject(Shape::kPlane, options.edges)));
    handles.push_back(nodes.back()->GetHandle());
  }

  // One extraction alone, for scale.
  Clock::time_point start = Clock::now();
  NodeEdgeCache single;
  BuildNodeEdgeCache(single, handles[0], EdgeParameters(), 0);
  const double singleMs = Ms(Clock::now() - start);

  const std::string load = LoadAverage();
  // Alternating runs share whatever else the machine is doing at the time.
  EdgeCache parallelCache;
  GlobalLockCache globalCache;
  Samples parallelRuns, globalRuns;
  for (int r = 0; r < options.runs; ++r) {
    parallelRuns.Add(Run(parallelCache, handles, options.threads));
    globalRuns.Add(Run(globalCache, handles, options.threads));
  }
  const RunTimes parallel = parallelRuns.Medians();
  const RunTimes global = globalRuns.Medians();

  std::printf("%d nodes x %zu edges (plane), %d threads, %u cores, median of %d runs;\n",
              options.nodes, single.segments.size(), options.threads,
              std::thread::hardware_concurrency(), options.runs);
  std::printf("one record alone: %.1f ms; load average before the runs: %s\n\n", singleMs,
              load.c_str());
  std::printf("%-22s %18s %20s %18s\n", "strategy", "first sample (ms)", "slowest first (ms)",
              "all records (ms)");
  auto row = [](const char* name, const RunTimes& t) {
    std::printf("%-22s %18.1f %20.1f %18.1f\n", name, t.meanFirstMs, t.slowestFirstMs, t.allMs);
  };
  row("parallel extraction", parallel);
  row("global lock", global);
  std::printf("\nglobal / parallel: first sample %.2fx, slowest first %.2fx, all records %.2fx\n",
              global.meanFirstMs / parallel.meanFirstMs,
              global.slowestFirstMs / parallel.slowestFirstMs, global.allMs / parallel.allMs);

  for (INode* node : nodes) core->DeleteNode(node);
  return 0;
}
