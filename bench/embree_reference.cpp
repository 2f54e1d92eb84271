#include "embree_reference.h"

#include <embree3/rtcore.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "edge-bench: Embree: %s\n", what);
  std::exit(EXIT_FAILURE);
}

void SegmentBounds(const RTCBoundsFunctionArguments* args) {
  const EdgeSegment& s = static_cast<const EdgeSegment*>(args->geometryUserPtr)[args->primID];
  RTCBounds* b = args->bounds_o;
  b->lower_x = std::min(s.start.x, s.end.x);
  b->lower_y = std::min(s.start.y, s.end.y);
  b->lower_z = std::min(s.start.z, s.end.z);
  b->upper_x = std::max(s.start.x, s.end.x);
  b->upper_y = std::max(s.start.y, s.end.y);
  b->upper_z = std::max(s.start.z, s.end.z);
}

struct Search {
  const EdgeSegment* segments;
  float best;
};

// Works relative to the segment's start, so the result keeps its precision far from the
// origin (the tall cylinder reaches z = 1000).
float PointSegmentDistance(const Point3& p, const EdgeSegment& s) {
  Point3 d = s.end - s.start, v = p - s.start;
  float dd = d % d;
  float t = dd > 0.0f ? std::clamp((d % v) / dd, 0.0f, 1.0f) : 0.0f;
  return Length(v - t * d);
}

bool SegmentQuery(RTCPointQueryFunctionArguments* args) {
  Search& search = *static_cast<Search*>(args->userPtr);
  const RTCPointQuery& q = *args->query;
  float d = PointSegmentDistance(Point3(q.x, q.y, q.z), search.segments[args->primID]);
  if (d < args->query->radius) {
    args->query->radius = d;
    search.best = d;
    return true;
  }
  return false;
}

}  // namespace

EmbreeSegments::EmbreeSegments(const std::vector<EdgeSegment>& segments) : segments(segments) {
  // One build thread: the record build it is compared with runs on one thread too.
  device = rtcNewDevice("threads=1");
  if (!device) Fail("cannot create a device");
  auto begin = std::chrono::steady_clock::now();
  scene = rtcNewScene(device);
  RTCGeometry geometry = rtcNewGeometry(device, RTC_GEOMETRY_TYPE_USER);
  rtcSetGeometryUserPrimitiveCount(geometry, unsigned(segments.size()));
  // The bounds callback receives the geometry's user data, not the pointer given with it.
  rtcSetGeometryUserData(geometry, const_cast<EdgeSegment*>(segments.data()));
  rtcSetGeometryBoundsFunction(geometry, SegmentBounds, nullptr);
  rtcSetGeometryPointQueryFunction(geometry, SegmentQuery);
  rtcCommitGeometry(geometry);
  rtcAttachGeometry(scene, geometry);
  rtcReleaseGeometry(geometry);
  rtcCommitScene(scene);
  buildMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
  if (rtcGetDeviceError(device) != RTC_ERROR_NONE) Fail("the scene build failed");
}

EmbreeSegments::~EmbreeSegments() {
  if (scene) rtcReleaseScene(scene);
  if (device) rtcReleaseDevice(device);
}

float EmbreeSegments::Nearest(const Point3& p, float radius) const {
  RTCPointQuery query;
  query.x = p.x;
  query.y = p.y;
  query.z = p.z;
  query.time = 0.0f;
  query.radius = radius;
  RTCPointQueryContext context;
  rtcInitPointQueryContext(&context);
  Search search{segments.data(), std::numeric_limits<float>::infinity()};
  rtcPointQuery(scene, &query, &context, nullptr, &search);
  return search.best;
}
