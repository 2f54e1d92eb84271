// The scene loader on arbitrary bytes, with the host's own objects: every input loads or
// fails with a message, never crashes, hangs or takes memory the input does not account for.
#include "scene_round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckSceneRoundTrip(data, size);
  return 0;
}
