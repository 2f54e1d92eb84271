#pragma once
#include "point3.h"

// "Bump" modes, by the value of the radio group. Stored in scene files.
enum BumpMode : int { kBumpRamp = 0, kBumpRoundEdge = 1 };

// What a round edge needs of one segment's two faces, in the record's space: each face's unit
// normal, and the unit vector in its plane, perpendicular to the edge, pointing into it. The
// first face is the edge's first. Zero normals mark an edge that gets no fillet: open, shared
// by more than two faces, or next to a degenerate face.
struct SegmentFaces {
  Point3 normal[2];
  Point3 inward[2];
};

// The faces of an edge from a to b, from their object-space unit normals and the directions
// their vertex loops run the edge (+1 from a to b, -1 from b to a, 0 when a loop lacks it):
// a zero normal or direction gives no fillet.
SegmentFaces FacesAtEdge(const Point3& a, const Point3& b, const Point3& n0, int run0,
                         const Point3& n1, int run1);

// Whether the faces give a fillet at all.
bool HasFillet(const SegmentFaces& faces);

// The fillet's normal at a point p whose nearest edge point is q, at distance d, with the band
// `distance` wide: the normal of the face p lies over turned toward the faces' bisector by the
// fraction 1 - d / distance of the angle between them, evenly in angle as on a circular arc.
// Gives that face's normal and the turned one, or false where there is no fillet: at or
// beyond the band, no fillet edge, or normals opposite each other (no bisector).
bool RoundEdgeNormals(const Point3& p, const Point3& q, float d, float distance,
                      const SegmentFaces& faces, Point3& faceNormal, Point3& turned);
