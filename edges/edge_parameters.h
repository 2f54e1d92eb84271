#pragma once

// The edge parameters as the map caches them at Update and a record snapshots them when it
// is built: the map and the record both derive from this one struct, so a new parameter is
// one member here (and its block entry), and a snapshot is one assignment. Angle is already
// in radians and the material IDs already zero-based.
struct EdgeParameters {
  float distance = 0.1f;
  float angleThreshold = 0.1f * 0.017453292f;  // radians
  bool selectionOnly = false;
  bool openEdges = false;
  bool smooth = false;
  int smoothEq = 1;
  bool matId = false;
  int matIdEq = 1;
  bool complanar = false;
  int conditions = 1;
  int cMult = 2;
  bool matIdRange = false;
  int matId1 = 0;           // zero-based
  int matId2 = 0;           // zero-based
  int edgeShape = 0;        // EdgeShapeFilter: a filter after the conditions above
  bool worldUnits = false;  // segments and distances in world space, not the object's
  int bumpMode = 0;         // BumpMode: round edges keep each segment's faces
};
