// Writes the committed scene with a Kelvane map, the old file every build must keep loading:
// four markers, one with a curve mode and a colour map, and two block parameters changed.
//
//   make_kelvane_scene FILE
#include <cstdio>
#include <string>

#include "host_maps.h"
#include "kelvane.h"
#include "map_holder.h"
#include "max.h"
#include "module_exports.h"
#include "param_block.h"
#include "plugin_loader.h"
#include "saved_scene.h"
#include "scene_file.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
    return 2;
  }
  std::wstring module = std::wstring(GetExecutableDirectory().data()) + L"/Kelvane.dlt";
  MSTR message;
  if (!LoadPluginLibrary(module.c_str(), nullptr, &message)) {
    std::fprintf(stderr, "%ls\n", message.data());
    return 1;
  }
  ResetScene();
  auto* map = static_cast<Kelvane*>(static_cast<ReferenceTarget*>(LibClassDesc(0)->Create(FALSE)));
  HoldInScene(map);

  map->ramp.markers.clear();
  for (float p : {0.0f, 0.3f, 0.7f, 1.0f}) {
    RampMarker m;
    m.position = p;
    m.color = AColor(p, 0.5f, 1.0f - p, 1.0f);
    map->ramp.markers.push_back(m);
  }
  map->SyncMarkerReferences();
  map->ramp.markers[2].outMode = 3;
  auto* colour = new ConstantColorMap;
  colour->color = AColor(0.25f, 0.75f, 0.5f);
  map->SetSubTexmap(2, colour);
  map->pblock->SetValue(pb_distance, 0, 0.5f);
  map->pblock->SetValue(pb_open_edges, 0, 1);

  const bool saved = SaveSceneToFile(argv[1]);
  ResetScene();
  return saved ? 0 : 1;
}
