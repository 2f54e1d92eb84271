#include "render/sample_shade_context.h"

#include <cstring>

SampleShadeContext::SampleShadeContext() = default;

void SampleShadeContext::Begin(INode* shaded, const Matrix3& objectToWorld,
                               const Matrix3& worldToObject, const Point3& worldPoint) {
  node = shaded;
  toWorld = objectToWorld;
  toObject = worldToObject;
  world = worldPoint;
  object = worldPoint * worldToObject;
  out.gbufId = 0;
  cached = 0;
}

Point3 SampleShadeContext::PointTo(const Point3& p, RefFrame ito) {
  if (ito != REF_OBJECT) return p;
  // The same bits give the same product: NaN, and the sign of a zero, included.
  if (std::memcmp(&p, &world, sizeof p) == 0) return object;
  return p * toObject;
}

Point3 SampleShadeContext::PointFrom(const Point3& p, RefFrame ifrom) {
  return ifrom == REF_OBJECT ? p * toWorld : p;
}

Point3 SampleShadeContext::VectorTo(const Point3& p, RefFrame ito) {
  return ito == REF_OBJECT ? VectorTransform(toObject, p) : p;
}

Point3 SampleShadeContext::VectorFrom(const Point3& p, RefFrame ifrom) {
  return ifrom == REF_OBJECT ? VectorTransform(toWorld, p) : p;
}

SampleShadeContext::CacheEntry* SampleShadeContext::Find(Texmap* map) {
  for (int i = 0; i < cached; ++i)
    if (cache[i].map == map) return &cache[i];
  return nullptr;
}

SampleShadeContext::CacheEntry* SampleShadeContext::Entry(Texmap* map) {
  if (CacheEntry* e = Find(map)) return e;
  if (cached == kCached) return nullptr;
  CacheEntry& entry = cache[cached++];
  entry.map = map;
  entry.hasColor = entry.hasMono = entry.hasVector = false;
  return &entry;
}

BOOL SampleShadeContext::GetCache(Texmap* map, AColor& c) {
  CacheEntry* e = Find(map);
  if (!e || !e->hasColor) return FALSE;
  c = e->color;
  return TRUE;
}

BOOL SampleShadeContext::GetCache(Texmap* map, float& f) {
  CacheEntry* e = Find(map);
  if (!e || !e->hasMono) return FALSE;
  f = e->mono;
  return TRUE;
}

BOOL SampleShadeContext::GetCache(Texmap* map, Point3& p) {
  CacheEntry* e = Find(map);
  if (!e || !e->hasVector) return FALSE;
  p = e->vector;
  return TRUE;
}

void SampleShadeContext::PutCache(Texmap* map, const AColor& c) {
  if (CacheEntry* e = Entry(map)) {
    e->color = c;
    e->hasColor = true;
  }
}

void SampleShadeContext::PutCache(Texmap* map, const float f) {
  if (CacheEntry* e = Entry(map)) {
    e->mono = f;
    e->hasMono = true;
  }
}

void SampleShadeContext::PutCache(Texmap* map, const Point3& p) {
  if (CacheEntry* e = Entry(map)) {
    e->vector = p;
    e->hasVector = true;
  }
}

void SampleShadeContext::TossCache(Texmap* map) {
  // The last entry takes the tossed one's place: the order of entries means nothing.
  if (CacheEntry* e = Find(map)) *e = cache[--cached];
}
