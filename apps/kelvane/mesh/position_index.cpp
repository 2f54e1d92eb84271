#include "mesh/position_index.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "host_huge_pages.h"
#include "mesh/parallel_chunks.h"

namespace {

uint64_t Hash(const Point3& p) {
  uint32_t b[3];
  std::memcpy(b, &p.x, sizeof(float));
  std::memcpy(b + 1, &p.y, sizeof(float));
  std::memcpy(b + 2, &p.z, sizeof(float));
  uint64_t h = (uint64_t(b[0]) * 0x9E3779B97F4A7C15ull) ^ (uint64_t(b[1]) * 0xC2B2AE3D27D4EB4Full) ^
               (uint64_t(b[2]) * 0x165667B19E3779F9ull);
  h ^= h >> 32;
  h *= 0xD6E8FEB86659FD93ull;
  return h ^ (h >> 32);
}

bool SameBits(const Point3& a, const Point3& b) {
  return std::memcmp(&a.x, &b.x, sizeof(float)) == 0 &&
         std::memcmp(&a.y, &b.y, sizeof(float)) == 0 && std::memcmp(&a.z, &b.z, sizeof(float)) == 0;
}

// An open-addressing table of point indices, at most half full so probes stay short. Each slot
// keeps its hash's high half too, so a probe past another position rarely reads that point.
class Table {
 public:
  Table(const std::vector<Point3>& points, size_t expected) : points(points) {
    Resize(2 * expected);
  }

  void Prefetch(uint64_t h) const { __builtin_prefetch(&slots[h & (slots.size() - 1)]); }

  // The first index stored with point id's position, storing id when the position is new.
  int First(int id, uint64_t h) {
    if (2 * (used + 1) > slots.size()) Resize(2 * slots.size());
    const size_t mask = slots.size() - 1;
    const uint32_t tag = uint32_t(h >> 32);
    for (size_t i = h & mask;; i = (i + 1) & mask) {
      Slot& s = slots[i];
      if (s.id < 0) {
        s = {id, tag};
        ++used;
        return id;
      }
      if (s.tag == tag && SameBits(points[size_t(s.id)], points[size_t(id)])) return s.id;
    }
  }

 private:
  struct Slot {
    int id;
    uint32_t tag;
  };

  void Resize(size_t minSlots) {
    size_t size = 1024;
    while (size < minSlots) size *= 2;
    std::vector<Slot> old = std::move(slots);
    AssignHuge(slots, size, Slot{-1, 0});
    const size_t mask = size - 1;
    for (const Slot& s : old) {
      if (s.id < 0) continue;
      size_t i = size_t(Hash(points[size_t(s.id)])) & mask;
      while (slots[i].id >= 0) i = (i + 1) & mask;
      slots[i] = s;
    }
  }

  const std::vector<Point3>& points;
  std::vector<Slot> slots;
  size_t used = 0;
};

}  // namespace

void FirstOfSamePosition(const std::vector<Point3>& points, std::vector<int>& first, int threads,
                         size_t distinct) {
  const size_t n = points.size();
  AssignHuge(first, n, 0);
  // Positions are shared out by hash: each range of threads' work keeps a table of the points
  // whose hash falls in it, reading every point in order, so the first of a position is the
  // one it keeps whichever range that is.
  ParallelChunks(n, LoadThreads(threads), [&](size_t begin, size_t end) {
    auto mine = [&](uint64_t h) {
      const size_t key = size_t(((h >> 32) * n) >> 32);
      return key >= begin && key < end;
    };
    // Sized for this range's share of the guess, so that it need not grow (and rehash) on the
    // way; by default a quarter of the points, as in files that repeat each position at every
    // corner (an OBJ read gives them so).
    const size_t share = end - begin;
    Table table(points, distinct > 0
                            ? size_t(double(share) * double(distinct) / double(n)) + share / 32
                            : share / 4);
    // A large table misses the cache on nearly every new point: the slot of a point some way
    // ahead is fetched while this one is placed.
    constexpr size_t kAhead = 16;
    uint64_t ahead[kAhead];
    for (size_t i = 0; i < std::min(kAhead, n); ++i) ahead[i] = Hash(points[i]);
    for (size_t i = 0; i < n; ++i) {
      const uint64_t h = ahead[i % kAhead];
      if (i + kAhead < n) {
        const uint64_t next = Hash(points[i + kAhead]);
        ahead[i % kAhead] = next;
        if (mine(next)) table.Prefetch(next);
      }
      if (mine(h)) first[i] = table.First(int(i), h);
    }
  });
}
