#pragma once
#include "maxheap.h"

// An integer point: screen positions of the host's dialogs.
class IPoint2 : public MaxHeapOperators {
 public:
  int x, y;

  IPoint2() : x(0), y(0) {}
  IPoint2(int X, int Y) : x(X), y(Y) {}

  bool operator==(const IPoint2& p) const { return x == p.x && y == p.y; }
  bool operator!=(const IPoint2& p) const { return !(*this == p); }
  IPoint2 operator+(const IPoint2& p) const { return IPoint2(x + p.x, y + p.y); }
  IPoint2 operator-(const IPoint2& p) const { return IPoint2(x - p.x, y - p.y); }
};
