#include "edge_cache.h"

#include <array>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

#include "edge_extraction.h"

namespace {

std::atomic<uint64_t> nextCacheId{1};

// Direct-mapped by node and cache: a renderer's thread shades a handful of nodes over and
// over, and a collision only costs one locked look-up.
thread_local std::array<RecentEdgeRecord, 16> recentRecords;

RecentEdgeRecord& RecentSlot(uint64_t cacheId, ULONG nodeHandle) {
  uint64_t h = (uint64_t(nodeHandle) ^ (cacheId << 32)) * 0x9e3779b97f4a7c15ull;
  return recentRecords[size_t(h >> 60)];
}

}  // namespace

// One extraction in progress. `done` and `abandoned` are guarded by edgeCacheLock, and waiting
// releases that lock, so a thread waits for exactly this node's build and no wake-up can be
// missed.
struct EdgeCache::Build {
  std::thread::id builder = std::this_thread::get_id();
  bool done = false;
  bool abandoned = false;  // a clear came while it ran: its record is not published
  std::condition_variable_any finished;
};

constinit thread_local RecentEdgeRecord EdgeCache::lastRecord KELVANE_HOT_THREAD_LOCAL;

EdgeCache::EdgeCache() : cacheId(nextCacheId.fetch_add(1, std::memory_order_relaxed)) {}

const NodeEdgeCache* EdgeCache::RememberedEarlier(ULONG nodeHandle) const {
  const RecentEdgeRecord& recent = RecentSlot(cacheId, nodeHandle);
  if (recent.cacheId == cacheId && recent.nodeHandle == nodeHandle &&
      recent.generation == generation.load(std::memory_order_acquire)) {
    lastRecord = recent;
    return recent.record;
  }
  return nullptr;
}

const NodeEdgeCache* EdgeCache::GetEdgeData(ULONG nodeHandle, TimeValue t,
                                            const EdgeParameters& params) {
  // Read before the look-up: a clear in between makes the remembered record stale at once.
  const uint64_t current = generation.load(std::memory_order_acquire);
  if (const NodeEdgeCache* held = Remembered(nodeHandle)) return held;
  const NodeEdgeCache* record = LookUpOrBuild(nodeHandle, t, params);
  if (record)
    lastRecord = RecentSlot(cacheId, nodeHandle) =
        RecentEdgeRecord{cacheId, current, nodeHandle, record};
  return record;
}

const NodeEdgeCache* EdgeCache::LookUpOrBuild(ULONG nodeHandle, TimeValue t,
                                              const EdgeParameters& params) {
  std::shared_ptr<Build> build;
  {
    std::lock_guard<OsMng::CMutex> hold(edgeCacheLock);
    for (auto it = edgeCaches.find(nodeHandle); it != edgeCaches.end();
         it = edgeCaches.find(nodeHandle)) {
      if (it->second.record) return it->second.record.get();
      // Asked again from inside its own build: waiting would be for ever.
      if (it->second.building->builder == std::this_thread::get_id()) return nullptr;
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
  return Finish(nodeHandle, *build, std::move(record));
}

void EdgeCache::ClearEdgeCache() {
  std::lock_guard<OsMng::CMutex> hold(edgeCacheLock);
  if (BuildingHere()) {
    // Waiting for its own builds would be for ever: they are abandoned, and the clear runs when
    // the last of them ends.
    for (auto& [handle, entry] : edgeCaches)
      if (entry.building && entry.building->builder == std::this_thread::get_id())
        entry.building->abandoned = true;
    clearPending = true;
    return;
  }
  ClearLocked();
}

void EdgeCache::ClearLocked() {
  for (auto it = edgeCaches.begin(); it != edgeCaches.end();) {
    if (!it->second.building) {
      ++it;
      continue;
    }
    WaitFor(it->second.building);
    it = edgeCaches.begin();  // the map may have changed while the lock was released
  }
  clearPending = false;
  generation.fetch_add(1, std::memory_order_release);
  edgeCaches.clear();
}

bool EdgeCache::BuildingHere() const {
  for (const auto& [handle, entry] : edgeCaches)
    if (entry.building && entry.building->builder == std::this_thread::get_id()) return true;
  return false;
}

void EdgeCache::WaitFor(std::shared_ptr<Build> build) {
  // The copy keeps the build alive when a failure removes its entry meanwhile.
  while (!build->done) build->finished.wait(edgeCacheLock);
}

const NodeEdgeCache* EdgeCache::Finish(ULONG nodeHandle, Build& build,
                                       std::unique_ptr<NodeEdgeCache> record) {
  std::lock_guard<OsMng::CMutex> hold(edgeCacheLock);
  auto it = edgeCaches.find(nodeHandle);
  const NodeEdgeCache* published = nullptr;
  if (record && !build.abandoned) {
    published = record.get();
    it->second.record = std::move(record);
    it->second.building.reset();
  } else {
    edgeCaches.erase(it);
  }
  build.done = true;
  // Woken before a put-off clear waits for other builds, which may be waiting for this one.
  build.finished.notify_all();
  if (clearPending && !BuildingHere()) ClearLocked();
  return published;
}
