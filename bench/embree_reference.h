#pragma once
#include <vector>

#include "edge_segment.h"
#include "point3.h"

typedef struct RTCDeviceTy* RTCDevice;
typedef struct RTCSceneTy* RTCScene;

// The segments as an Embree user geometry, searched with point queries.
class EmbreeSegments {
 public:
  // Keeps a reference to `segments`, which must outlive this object.
  explicit EmbreeSegments(const std::vector<EdgeSegment>& segments);
  ~EmbreeSegments();
  EmbreeSegments(const EmbreeSegments&) = delete;
  EmbreeSegments& operator=(const EmbreeSegments&) = delete;

  // Geometry set-up and BVH build, in milliseconds.
  double BuildMs() const { return buildMs; }

  // Distance from p to the nearest segment closer than radius, or +infinity.
  float Nearest(const Point3& p, float radius) const;

 private:
  const std::vector<EdgeSegment>& segments;
  RTCDevice device = nullptr;
  RTCScene scene = nullptr;
  double buildMs = 0.0;
};
