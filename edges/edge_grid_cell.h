#pragma once
#include <span>

// One cell of a record's XY search grid: the segments that can lie within one cell of any
// point in it, by ascending index. The list is a view into the record's shared index store.
struct GridCell {
  int column = 0;
  int row = 0;
  std::span<const int> edgeIndices;
};
