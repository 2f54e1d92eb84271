// Writes the scene fuzzer's seeds: small saved scenes covering every chunk the host writes.
// With a second argument it also writes the sample scene there, the host tests' fixture.
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "max.h"
#include "sample_scene.h"
#include "saved_scene.h"
#include "scene_file.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s CORPUS_FOLDER [FIXTURE_FILE]\n", argv[0]);
    return 2;
  }
  std::string folder = argv[1];
  Interface* core = GetCOREInterface();
  std::vector<std::pair<std::string, std::function<void()>>> scenes = {
      {"empty.kvs", [] {}},
      {"sample.kvs", [] { BuildSampleScene(); }},
      {"box.kvs",
       [core] {
         auto* box = new BoxObject;
         box->heightSegs = 4;
         core->CreateObjectNode(box)->SetName(L"Box");
       }},
      {"instances.kvs",
       [core] {
         TriObject* tri = CreateNewTriObject();
         tri->GetMesh().setNumVerts(3);
         tri->GetMesh().setNumFaces(1);
         tri->GetMesh().faces[0].setVerts(0, 1, 2);
         for (int i = 0; i < 3; ++i) core->CreateObjectNode(tri);
       }},
      {"empty_node.kvs", [core] { core->CreateObjectNode(nullptr); }},
  };
  for (auto& [name, build] : scenes) {
    ResetScene();
    build();
    if (!SaveSceneToFile(folder + "/" + name)) return 1;
  }
  if (argc > 2) {
    ResetScene();
    BuildSampleScene();
    if (!SaveSceneToFile(argv[2])) return 1;
  }
  ResetScene();
  return 0;
}
