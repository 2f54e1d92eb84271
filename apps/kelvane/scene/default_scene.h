#pragma once
#include "scene/scene_description.h"

// The scene shown when none is given: a box with a material ID per side, an open tube, a
// sphere of two materials, a torus and a ground plane with an open border, with the map set to
// follow open edges, smoothing-group borders and material-ID borders.
SceneDescription DefaultScene(float smoothAngle);

// The same scene as JSON text, in the format of scene files.
const char* DefaultSceneJson();
