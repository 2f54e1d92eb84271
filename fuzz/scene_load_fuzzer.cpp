// The scene loader on arbitrary bytes: every input loads or fails with a message, never
// crashes, hangs or takes memory the input does not account for. A scene that loads must
// save, and what it saves must load again and save to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "maxheap.h"
#include "scene_file.h"

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
