#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "point3.h"

class MNMesh;

// Points on the mesh surface: a uniformly chosen face, then a uniform point on one of the
// triangles fanned from its first vertex. Same seed, same points.
std::vector<Point3> SampleSurfacePoints(const MNMesh& mesh, size_t count, uint64_t seed);

// The points sorted along a 3D Morton curve over the cube around their bounding box, so
// neighbours in the sequence are neighbours in space, as a scanline renderer asks them.
std::vector<Point3> MortonSorted(const std::vector<Point3>& points);

// The sequence cut into runs of `run` consecutive points, the runs shuffled. A timing that
// stops early then still covers the whole surface while keeping the order within each run.
std::vector<Point3> RunShuffled(const std::vector<Point3>& points, size_t run, uint64_t seed);
