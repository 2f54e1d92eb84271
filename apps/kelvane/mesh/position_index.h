#pragma once
#include <cstddef>
#include <vector>

#include "point3.h"

// Welding by exact position: first[i] becomes the smallest j whose point has the same bits as
// point i (i itself for the first of its position). Positions must be finite with -0 already
// made +0, so equal bits mean equal positions. Runs on `threads` threads (0: every core), with
// the same result for any count. `distinct` guesses how many positions there are (0: a quarter
// of the points); it only sizes the tables.
void FirstOfSamePosition(const std::vector<Point3>& points, std::vector<int>& first, int threads,
                         size_t distinct = 0);
