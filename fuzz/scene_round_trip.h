#pragma once
// What every scene fuzzer asks of its input: it loads, or fails with a message; a scene that
// loads saves, loads again and saves to the same bytes. A broken promise traps, so the fuzzer
// keeps the input.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "maxheap.h"
#include "scene_file.h"

inline void CheckSceneRoundTrip(const uint8_t* data, size_t size) {
  struct Saved {
    void* data = nullptr;
    size_t size = 0;
    ~Saved() { MAX_free(data); }
  };
  auto check = [](bool holds) {
    if (!holds) __builtin_trap();
  };
  ResetScene();
  MSTR error;
  if (LoadSceneFromMemory(data, size, &error, L"fuzz input") != IO_OK) {
    check(!error.isNull());
    return;
  }
  Saved first, second;
  check(SaveSceneToMemory(&first.data, &first.size, &error) == IO_OK);
  check(LoadSceneFromMemory(first.data, first.size, &error) == IO_OK);
  check(SaveSceneToMemory(&second.data, &second.size, &error) == IO_OK);
  check(first.size == second.size && std::memcmp(first.data, second.data, first.size) == 0);
}
