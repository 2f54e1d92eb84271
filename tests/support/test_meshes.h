#pragma once
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "edge_parameters.h"
#include "max.h"
#include "node_edge_cache.h"

// A scene node for the duration of a test.
class ScopedNode {
 public:
  explicit ScopedNode(Object* obj) : node(GetCOREInterface()->CreateObjectNode(obj)) {}
  ~ScopedNode() { GetCOREInterface()->DeleteNode(node); }
  ScopedNode(const ScopedNode&) = delete;
  ScopedNode& operator=(const ScopedNode&) = delete;
  ULONG Handle() const { return node->GetHandle(); }
  INode* node;
};

// nx by ny square quads of side `size` in the XY plane from `corner`, smoothing group 1.
PolyObject* MakePlane(int nx, int ny, float size = 1.0f, Point3 corner = Point3(0.0f, 0.0f, 0.0f));
// A closed box: the host's parametric box converted to a polygon object.
PolyObject* MakeBoxPoly(int segments = 1);
// The same polygon mesh as a triangle object, diagonals hidden.
TriObject* Triangulate(const PolyObject& poly);
// Corner positions and faces as vertex loops.
PolyObject* PolyFrom(const std::vector<Point3>& points,
                     std::initializer_list<std::vector<int>> faces);
// An L-shaped prism of height 1, outward wound: two hexagonal caps and six sides; the one
// reflex corner (0.3, 0.3) is each cap's first corner, so a fan from it stays inside the L.
PolyObject* MakeLPrism();
// A unit-square top face over y in [-1, 0] (normal +z) and a face hinged on their shared x edge,
// leaning along w (perpendicular to x), wound alike: w = -z a box's outer corner, +z an inner one.
PolyObject* MakeHinge(const Point3& w);

// A UV sphere around the origin, `stacks` from pole to pole and twice as many around.
PolyObject* MakeUvSphere(int stacks, float radius = 50.0f);
// 64 sides of radius 1 along Z: `bands` bands of quads up to `height`, 64-gons closing the ends.
PolyObject* MakeCylinder(int bands, float height, bool caps = true);
// A seeded jittered field of quads, triangles, pentagons, holes, groups, IDs and selection.
PolyObject* MakeRandomPoly(uint32_t seed, int nx, int ny);

NodeEdgeCache BuildRecord(ULONG handle, const EdgeParameters& params);

// A record over the given segments, sized the way extraction sizes it, with its grid built.
NodeEdgeCache RecordFromSegments(const std::vector<EdgeSegment>& segments, float distance,
                                 int cMult = 2);
