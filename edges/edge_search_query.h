#pragma once
#include "edge_search_index.h"
#include "edge_segment.h"
#include "point3.h"

// The vector width a search runs with; SSE2 exists on every x86-64.
enum class ScanKernel { kSse2, kAvx2 };

bool ScanKernelAvailable(ScanKernel kernel);

// Which segments a search considers: those nearer than the radius, or, any distance away,
// those in the columns of bins whose XY gap from the point is below the radius.
enum class SearchReach { kRadius, kColumns };

// The segment nearest to p among those the reach covers: its index in the record (-1 for
// none) and a copy of it, read from the index rather than the record's segments. Among equal
// distances the lower index wins. Allocates nothing; safe for concurrent callers.
struct SearchHit {
  int segment = -1;
  EdgeSegment copy;
};
SearchHit FindNearestSegment(const EdgeSearchIndex& index, const Point3& p, SearchReach reach);
SearchHit FindNearestSegment(const EdgeSearchIndex& index, const Point3& p, SearchReach reach,
                             ScanKernel kernel);

// The nearest segment closer than radius (at most the index's own), or none.
SearchHit FindNearestSegmentWithin(const EdgeSearchIndex& index, const Point3& p, float radius);
