#include "mesh/position_index.h"

#include <cstring>

#include "host_huge_pages.h"

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

}  // namespace

void PositionIndex::Reserve(size_t count, const std::vector<Point3>& vertices) {
  // At most half full: probes stay short.
  if (2 * (used + count) > slots.size()) Grow(2 * (used + count), vertices);
}

void PositionIndex::Clear() {
  std::vector<int>().swap(slots);
  used = 0;
}

void PositionIndex::Grow(size_t minSlots, const std::vector<Point3>& vertices) {
  size_t size = 1024;
  while (size < minSlots) size *= 2;
  std::vector<int> old = std::move(slots);
  AssignHuge(slots, size, -1);
  const size_t mask = size - 1;
  for (int v : old) {
    if (v < 0) continue;
    size_t i = size_t(Hash(vertices[size_t(v)])) & mask;
    while (slots[i] >= 0) i = (i + 1) & mask;
    slots[i] = v;
  }
}

void PositionIndex::Prefetch(const Point3& p) const {
  if (!slots.empty()) __builtin_prefetch(&slots[size_t(Hash(p)) & (slots.size() - 1)]);
}

int PositionIndex::Weld(const Point3& p, std::vector<Point3>& vertices) {
  if (2 * (used + 1) > slots.size()) Grow(2 * (used + 1), vertices);
  const size_t mask = slots.size() - 1;
  for (size_t i = size_t(Hash(p)) & mask;; i = (i + 1) & mask) {
    const int v = slots[i];
    if (v < 0) {
      slots[i] = int(vertices.size());
      vertices.push_back(p);
      ++used;
      return slots[i];
    }
    if (SameBits(vertices[size_t(v)], p)) return v;
  }
}
