#pragma once
#include <cstddef>

class PolyObject;

enum class Shape { kPlane, kSphere, kCylinder };

inline constexpr Shape kShapes[] = {Shape::kPlane, Shape::kSphere, Shape::kCylinder};

const char* ShapeName(Shape shape);

// A new polygon object of about `edges` edges, its edge table filled in. The caller hands it
// to a scene node, which then owns it.
//   plane:    a square of quads in the XY plane, 100 units across;
//   sphere:   a UV sphere of radius 50, twice as many segments around as from pole to pole;
//   cylinder: 64 sides, radius 1, height 1000 along Z, capped; its rings are what add edges,
//             so nearly every edge piles up over the same few XY cells.
PolyObject* MakeShapeObject(Shape shape, size_t edges);

// The sweep's sparse shapes, about `edges` edges each, where only a few edges qualify:
//   sphere-seams:  the sphere, its faces in three wedges around Z with material IDs 0, 1
//                  and 2, so three seams run from pole to pole;
//   cylinder-rims: the cylinder without its caps, so its two rims are open edges.
PolyObject* MakeSeamedSphere(size_t edges);
PolyObject* MakeOpenCylinder(size_t edges);
