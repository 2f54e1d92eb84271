#pragma once
#include <vector>

// One cell of a record's XY search grid: the segments that can lie within one cell of any
// point in it, by ascending index.
struct GridCell {
  int column = 0;
  int row = 0;
  std::vector<int> edgeIndices;
};
