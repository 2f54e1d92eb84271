// Scenes holding Kelvane maps, on arbitrary bytes: the module is loaded the way the host
// loads it, and the command-line host's scene object that holds the map is registered, so
// the map's own chunks (base data, marker records), its post-load sorting and reference
// re-sync and the command-line host's settings chunk run on every input. Every input loads or fails
// with a message; a scene that loads saves, loads again and saves to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "maxheap.h"
#include "plugin_loader.h"
#include "scene_file.h"
#include "scene_settings.h"

namespace {

struct Saved {
  void* data = nullptr;
  size_t size = 0;
  ~Saved() { MAX_free(data); }
};

void Check(bool holds) {
  if (!holds) __builtin_trap();
}

}  // namespace

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
  ResetScene();
  MSTR error;
  if (LoadSceneFromMemory(data, size, &error, L"fuzz input") != IO_OK) {
    Check(!error.isNull());
    return 0;
  }
  Saved first, second;
  Check(SaveSceneToMemory(&first.data, &first.size, &error) == IO_OK);
  Check(LoadSceneFromMemory(first.data, first.size, &error) == IO_OK);
  Check(SaveSceneToMemory(&second.data, &second.size, &error) == IO_OK);
  Check(first.size == second.size && std::memcmp(first.data, second.data, first.size) == 0);
  return 0;
}
