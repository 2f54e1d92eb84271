#include "scene/default_scene.h"

#include "scene/json_scene.h"

const char* DefaultSceneJson() {
  return R"({
  "nodes": [
    {"name": "ground", "mesh": {"builtin": "plane", "width": 5.2, "length": 3.6,
                                "width_segments": 8, "length_segments": 6, "material_id": 7}},
    {"name": "box", "mesh": {"builtin": "box", "width": 0.9, "length": 0.9, "height": 0.9},
     "transform": [[0.866, -0.5, 0, -1.45], [0.5, 0.866, 0, 0.35], [0, 0, 1, 0], [0, 0, 0, 1]]},
    {"name": "tube", "mesh": {"builtin": "cylinder", "radius": 0.42, "height": 1.25, "sides": 40,
                              "height_segments": 3, "caps": false}, "object": "tri",
     "transform": [[1, 0, 0, -0.1], [0, 1, 0, 0.75], [0, 0, 1, 0], [0, 0, 0, 1]]},
    {"name": "sphere", "mesh": {"builtin": "sphere", "radius": 0.5, "segments": 40},
     "transform": [[1, 0, 0, 1.25], [0, 1, 0, 0.3], [0, 0, 1, 0.5], [0, 0, 0, 1]]},
    {"name": "torus", "mesh": {"builtin": "torus", "radius1": 0.42, "radius2": 0.16,
                               "segments": 40, "sides": 20},
     "transform": [[1, 0, 0, 0.15], [0, 0.94, -0.342, -0.75], [0, 0.342, 0.94, 0.32], [0, 0, 0, 1]]}
  ],
  "map": {
    "parameters": {"Distance": 0.14, "open edges": true, "smooth": true, "matid": true,
                   "conditions": 1},
    "markers": [
      {"position": 0.0, "color": [1.0, 0.86, 0.45]},
      {"position": 0.3, "color": [0.86, 0.33, 0.1], "in": "Gamma"},
      {"position": 1.0, "color": [0.13, 0.24, 0.36], "active": true}
    ]
  },
  "camera": {"position": [2.9, -4.6, 2.9], "target": [0.0, 0.0, 0.35], "fov": 40},
  "image": {"width": 960, "height": 540}
})";
}

SceneDescription DefaultScene(float smoothAngle) {
  return ParseJsonScene(DefaultSceneJson(), "built-in scene", ".", smoothAngle);
}
