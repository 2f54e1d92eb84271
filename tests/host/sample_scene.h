#pragma once
// A scene that uses every field the host's scene files carry: a triangle mesh and its
// instance, a polygon mesh, a box, names outside ASCII and transforms. The tests check round
// trips against it and the fuzzing corpus starts from it.
#include "max.h"

struct SampleScene {
  INode* mesh;      // "Mesh": a TriObject
  INode* instance;  // "Mesh instance": the same TriObject
  INode* poly;      // a PolyObject named with a non-ASCII name
  INode* box;       // "Box": a BoxObject
};

// Adds the sample's nodes to the current scene.
SampleScene BuildSampleScene();
