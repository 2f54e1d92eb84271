#pragma once

// The map's cached parameter values that a record snapshots when it is built. Angle is
// already in radians and the material IDs already zero-based.
struct EdgeParameters {
  float distance = 0.1f;
  float angleThreshold = 0.1f * 0.017453292f;
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
  int matId1 = 0;
  int matId2 = 0;
};
