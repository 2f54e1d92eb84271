#include "edge_cache.h"

#include <condition_variable>
#include <mutex>
#include <utility>

#include "edge_extraction.h"

// One extraction in progress. `done` is guarded by edgeCacheLock, and waiting releases that
// lock, so a thread waits for exactly this node's build and no wake-up can be missed.
struct EdgeCache::Build {
  bool done = false;
  std::condition_variable_any finished;
};

const NodeEdgeCache& EdgeCache::GetEdgeData(ULONG nodeHandle, TimeValue t,
                                            const EdgeParameters& params) {
  std::shared_ptr<Build> build;
  {
    std::lock_guard<OsMng::CMutex> hold(edgeCacheLock);
    for (auto it = edgeCaches.find(nodeHandle); it != edgeCaches.end();
         it = edgeCaches.find(nodeHandle)) {
      if (it->second.record) return *it->second.record;
      // Another thread is building it; after a failed build the entry is gone and this
      // thread builds it itself.
      WaitFor(it->second.building);
    }
    build = std::make_shared<Build>();
    edgeCaches.emplace(nodeHandle, Entry{nullptr, build});
  }

  std::unique_ptr<NodeEdgeCache> record;
  try {
    record = std::make_unique<NodeEdgeCache>();
    BuildNodeEdgeCache(*record, nodeHandle, params, t);
  } catch (...) {
    Finish(nodeHandle, *build, nullptr);
    throw;
  }
  return *Finish(nodeHandle, *build, std::move(record));
}

void EdgeCache::ClearEdgeCache() {
  std::lock_guard<OsMng::CMutex> hold(edgeCacheLock);
  for (auto it = edgeCaches.begin(); it != edgeCaches.end();) {
    if (!it->second.building) {
      ++it;
      continue;
    }
    WaitFor(it->second.building);
    it = edgeCaches.begin();  // the map may have changed while the lock was released
  }
  edgeCaches.clear();
}

void EdgeCache::WaitFor(std::shared_ptr<Build> build) {
  // The copy keeps the build alive when a failure removes its entry meanwhile.
  while (!build->done) build->finished.wait(edgeCacheLock);
}

const NodeEdgeCache* EdgeCache::Finish(ULONG nodeHandle, Build& build,
                                       std::unique_ptr<NodeEdgeCache> record) {
  const NodeEdgeCache* published = record.get();
  {
    std::lock_guard<OsMng::CMutex> hold(edgeCacheLock);
    auto it = edgeCaches.find(nodeHandle);
    if (record) {
      it->second.record = std::move(record);
      it->second.building.reset();
    } else {
      edgeCaches.erase(it);
    }
    build.done = true;
  }
  build.finished.notify_all();
  return published;
}
