#pragma once
#include "point3.h"

// One qualifying edge, in the object space of the node's evaluated object.
struct EdgeSegment {
  Point3 start;
  Point3 end;
};
