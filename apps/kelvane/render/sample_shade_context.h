#pragma once
#include "imtl.h"
#include "inode.h"

// The shade context the program hands to the map for one sample: a point on a node, at time
// 0, maps on, outside the material editor. This renderer works in world space, so its camera
// space is the world: P is the world point, and PointTo(p, REF_OBJECT) takes a world point
// into the node's object space. Each render thread owns one and reuses it sample by sample;
// Begin forgets the previous sample's cached map results. Contexts sit side by side in one
// array and each is written every sample, so each starts on a cache line of its own: two
// threads writing one line would stall each other on every sample. Every call the map makes
// per sample is a virtual one, so each is kept to a few instructions.
class alignas(64) SampleShadeContext : public ShadeContext {
 public:
  SampleShadeContext();

  void Begin(INode* node, const Matrix3& objectToWorld, const Matrix3& worldToObject,
             const Point3& worldPoint);

  BOOL InMtlEditor() override { return FALSE; }
  TimeValue CurTime() override { return 0; }
  INode* Node() override { return node; }
  Point3 P() override { return world; }
  Point3 PObj() override { return object; }
  // The shaded point itself, the map's usual question, is answered with the point Begin took
  // into object space; any other goes through the matrix.
  Point3 PointTo(const Point3& p, RefFrame ito) override;
  Point3 PointFrom(const Point3& p, RefFrame ifrom) override;
  Point3 VectorTo(const Point3& p, RefFrame ito) override;
  Point3 VectorFrom(const Point3& p, RefFrame ifrom) override;

  BOOL GetCache(Texmap* map, AColor& c) override;
  BOOL GetCache(Texmap* map, float& f) override;
  BOOL GetCache(Texmap* map, Point3& p) override;
  void PutCache(Texmap* map, const AColor& c) override;
  void PutCache(Texmap* map, const float f) override;
  void PutCache(Texmap* map, const Point3& p) override;
  void TossCache(Texmap* map) override;

 private:
  // A map's results for the current sample. A sample meets only a handful of maps: past
  // kCached, a map's results are not kept, and it computes them again when asked.
  static constexpr int kCached = 8;
  struct CacheEntry {
    Texmap* map = nullptr;
    bool hasColor = false, hasMono = false, hasVector = false;
    AColor color;
    float mono = 0.0f;
    Point3 vector;
  };
  CacheEntry* Find(Texmap* map);
  CacheEntry* Entry(Texmap* map);

  INode* node = nullptr;
  Matrix3 toWorld, toObject;
  Point3 world, object;
  CacheEntry cache[kCached];
  int cached = 0;
};
