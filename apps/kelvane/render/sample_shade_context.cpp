#include "render/sample_shade_context.h"

SampleShadeContext::SampleShadeContext() {
  cache.reserve(8);
}

void SampleShadeContext::Begin(INode* shaded, const Matrix3& objectToWorld,
                               const Matrix3& worldToObject, const Point3& worldPoint) {
  node = shaded;
  toWorld = objectToWorld;
  toObject = worldToObject;
  world = worldPoint;
  object = worldPoint * worldToObject;
  out.gbufId = 0;
  cache.clear();
}

Point3 SampleShadeContext::PointTo(const Point3& p, RefFrame ito) {
  return ito == REF_OBJECT ? p * toObject : p;
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
  for (CacheEntry& e : cache)
    if (e.map == map) return &e;
  return nullptr;
}

SampleShadeContext::CacheEntry& SampleShadeContext::Entry(Texmap* map) {
  if (CacheEntry* e = Find(map)) return *e;
  CacheEntry& entry = cache.emplace_back();
  entry.map = map;
  return entry;
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
  CacheEntry& e = Entry(map);
  e.color = c;
  e.hasColor = true;
}

void SampleShadeContext::PutCache(Texmap* map, const float f) {
  CacheEntry& e = Entry(map);
  e.mono = f;
  e.hasMono = true;
}

void SampleShadeContext::PutCache(Texmap* map, const Point3& p) {
  CacheEntry& e = Entry(map);
  e.vector = p;
  e.hasVector = true;
}

void SampleShadeContext::TossCache(Texmap* map) {
  for (size_t i = 0; i < cache.size(); ++i)
    if (cache[i].map == map) {
      cache.erase(cache.begin() + long(i));
      return;
    }
}
