// Scenes holding Kelvane maps, on arbitrary bytes: the module is loaded the way the host
// loads it, and the command-line host's scene object that holds the map is registered, so
// the map's own chunks (base data, marker records), its post-load sorting and reference
// re-sync and the command-line host's settings chunk run on every input.
#include <cstdio>
#include <cstdlib>

#include "plugin_loader.h"
#include "scene/scene_settings.h"
#include "scene_round_trip.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  PluginLoadStatus status;
  MSTR message;
  if (!LoadPluginLibrary(KELVANE_MODULE_PATH, &status, &message)) {
    std::fprintf(stderr, "cannot load the module (%d): %ls\n", int(status), message.data());
    std::exit(1);
  }
  RegisterSceneSettingsClass();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckSceneRoundTrip(data, size);
  return 0;
}
