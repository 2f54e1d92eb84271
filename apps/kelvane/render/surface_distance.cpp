#include "render/surface_distance.h"

#include <embree3/rtcore.h>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "mesh/mesh_triangles.h"
#include "render/embree_triangles.h"

namespace {

struct Query {
  const PolyMeshData* mesh;
  const std::vector<std::array<int, 3>>* triangles;
  Point3 point;
  bool found = false;
};

Point3 Corner(const PolyMeshData& mesh, int corner) {
  return mesh.vertices[size_t(mesh.corners[size_t(corner)])];
}

// Embree calls this for each triangle whose bounds meet the query sphere.
bool VisitTriangle(RTCPointQueryFunctionArguments* args) {
  auto* q = static_cast<Query*>(args->userPtr);
  if (q->found) return false;
  const auto& t = (*q->triangles)[args->primID];
  const float d = PointTriangleDistance(q->point, Corner(*q->mesh, t[0]), Corner(*q->mesh, t[1]),
                                        Corner(*q->mesh, t[2]));
  if (d > args->query->radius) return false;
  q->found = true;
  args->query->radius = 0.0f;  // one is enough: shrink the search to nothing
  return true;
}

}  // namespace

NodeSurface::NodeSurface(const SceneNode& node)
    : mesh(node.mesh), triangles(TriangulateCorners(node.mesh)) {
  device = rtcNewDevice("threads=1");
  if (!device) throw std::runtime_error("cannot start Embree");
  scene = rtcNewScene(device);
  RTCGeometry geometry = NewTriangleGeometry(device, mesh, triangles, Matrix3(), vertices);
  rtcAttachGeometry(scene, geometry);
  rtcReleaseGeometry(geometry);
  rtcCommitScene(scene);
  if (rtcGetDeviceError(device) != RTC_ERROR_NONE)
    throw std::runtime_error("Embree could not build the node's surface");
}

NodeSurface::~NodeSurface() {
  if (scene) rtcReleaseScene(scene);
  if (device) rtcReleaseDevice(device);
}

bool NodeSurface::Within(const Point3& point, float radius) const {
  RTCPointQuery query;
  query.x = point.x;
  query.y = point.y;
  query.z = point.z;
  query.time = 0.0f;
  query.radius = radius;
  RTCPointQueryContext context;
  rtcInitPointQueryContext(&context);
  Query q{&mesh, &triangles, point};
  rtcPointQuery(scene, &query, &context, VisitTriangle, &q);
  return q.found;
}

float PointTriangleDistance(const Point3& p, const Point3& a, const Point3& b, const Point3& c) {
  // The closest point by the triangle's Voronoi regions (Ericson, Real-Time Collision
  // Detection, 5.1.5).
  const Point3 ab = b - a, ac = c - a, ap = p - a;
  const float d1 = DotProd(ab, ap), d2 = DotProd(ac, ap);
  if (d1 <= 0.0f && d2 <= 0.0f) return (p - a).Length();
  const Point3 bp = p - b;
  const float d3 = DotProd(ab, bp), d4 = DotProd(ac, bp);
  if (d3 >= 0.0f && d4 <= d3) return (p - b).Length();
  const float vc = d1 * d4 - d3 * d2;
  if (vc <= 0.0f && d1 >= 0.0f && d3 <= 0.0f) return (p - (a + ab * (d1 / (d1 - d3)))).Length();
  const Point3 cp = p - c;
  const float d5 = DotProd(ab, cp), d6 = DotProd(ac, cp);
  if (d6 >= 0.0f && d5 <= d6) return (p - c).Length();
  const float vb = d5 * d2 - d1 * d6;
  if (vb <= 0.0f && d2 >= 0.0f && d6 <= 0.0f) return (p - (a + ac * (d2 / (d2 - d6)))).Length();
  const float va = d3 * d6 - d5 * d4;
  if (va <= 0.0f && (d4 - d3) >= 0.0f && (d5 - d6) >= 0.0f)
    return (p - (b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6))))).Length();
  const float denom = va + vb + vc;
  if (!(denom != 0.0f)) return std::min({(p - a).Length(), (p - b).Length(), (p - c).Length()});
  const float v = vb / denom, w = vc / denom;
  return (p - (a + ab * v + ac * w)).Length();
}
