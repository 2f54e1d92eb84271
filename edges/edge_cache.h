#pragma once
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>

#include "WindowsDefines.h"
#include "edge_parameters.h"
#include "kernel_mutex.h"
#include "maxtypes.h"
#include "node_edge_cache.h"
#include "portability.h"

// A record a thread was handed, with the cache and the generation it came from.
struct RecentEdgeRecord {
  uint64_t cacheId = 0;
  uint64_t generation = 0;
  ULONG nodeHandle = 0;
  const NodeEdgeCache* record = nullptr;
};

// A texture map's records, one per scene node it has shaded, built on first request.
//
// Render threads call GetEdgeData concurrently. The lock guards only the look-up and the
// insertion of a node's entry: a record is extracted outside it, once, by the first thread
// that asks for the node, while threads that want the same node wait for that one build and
// threads that want other nodes carry on (and may extract theirs at the same time). Each
// thread also remembers the records it was handed last, so a render thread that samples the
// same few nodes again and again finds their records without taking the lock at all.
//
// A build runs on the thread that asked, and evaluating the node can lead back into this cache
// on that thread (a modifier in the node's own stack evaluating the map). That thread never
// waits for a build it is running: asking for the same node again gets no record, and a clear
// it asks for waits until its builds end, whose records are then not published.
class EdgeCache {
 public:
  EdgeCache();
  EdgeCache(const EdgeCache&) = delete;
  EdgeCache& operator=(const EdgeCache&) = delete;

  // The node's record, built at time t from `params` when the node has none. The record
  // never changes and stays valid until ClearEdgeCache. An exception from the build
  // (memory exhaustion) reaches the caller and leaves no entry; threads waiting for that
  // build then try again themselves. Not to be called while holding edgeCacheLock.
  //
  // Null, no record, when this thread is building the node's record already and asks again
  // from inside that build, and for the build itself when this thread asked for a clear while
  // it ran: the caller shades as for a node without edges.
  const NodeEdgeCache* GetEdgeData(ULONG nodeHandle, TimeValue t, const EdgeParameters& params);

  // The node's record if this thread was handed it since the last clear, else null: a render
  // thread's usual case, answered without the lock and without what a build would need.
  // Inline, and first against the last record this thread was handed: consecutive samples
  // mostly lie on one node, and this runs on every sample of every node.
  const NodeEdgeCache* Remembered(ULONG nodeHandle) const {
    const RecentEdgeRecord& last = lastRecord;
    if (last.nodeHandle == nodeHandle && last.cacheId == cacheId &&
        last.generation == generation.load(std::memory_order_acquire))
      return last.record;
    return RememberedEarlier(nodeHandle);
  }

  // Drops every record. Extractions still in progress finish first, so no record built
  // before the clear appears after it. No caller may still use a record it obtained. Asked for
  // by a thread in the middle of its own build, the clear takes effect when that thread's
  // builds end, and their records are not published.
  void ClearEdgeCache();

 private:
  struct Build;

  // The record this thread was handed last, by any cache. Per thread, so neither locked nor
  // shared; initialised as a constant, so reaching it takes no first-use check.
  static constinit thread_local RecentEdgeRecord lastRecord KELVANE_HOT_THREAD_LOCAL;

  // Remembered's answer from the few records this thread was handed before the last.
  const NodeEdgeCache* RememberedEarlier(ULONG nodeHandle) const;

  // The locked path: finds the node's record, or builds it; null as GetEdgeData says.
  const NodeEdgeCache* LookUpOrBuild(ULONG nodeHandle, TimeValue t, const EdgeParameters& params);

  // A node's entry: its record once built; until then, the build that others wait for.
  struct Entry {
    std::unique_ptr<const NodeEdgeCache> record;
    std::shared_ptr<Build> building;
  };

  // Waits, with edgeCacheLock held, until the build ends either way.
  void WaitFor(std::shared_ptr<Build> build);
  // Ends a build under the lock: publishes its record, or removes the entry when the build
  // failed (record null) or a clear abandoned it, and wakes the build's waiters. Runs a clear
  // this thread put off once its last build has ended.
  const NodeEdgeCache* Finish(ULONG nodeHandle, Build& build,
                              std::unique_ptr<NodeEdgeCache> record);
  // With edgeCacheLock held: whether this thread is building a record of this cache.
  bool BuildingHere() const;
  // With edgeCacheLock held: the clear itself.
  void ClearLocked();

  std::map<ULONG, Entry> edgeCaches;
  OsMng::CMutex edgeCacheLock;
  // A clear asked for by a thread during its own build, to run when that build ends.
  bool clearPending = false;
  // Names this cache in the threads' memories of recent records; never reused, so a
  // memory of a destroyed cache can never match a new one at the same address.
  const uint64_t cacheId;
  // Counts clears: a remembered record is good only for the generation it was handed out in.
  std::atomic<uint64_t> generation{0};
};
