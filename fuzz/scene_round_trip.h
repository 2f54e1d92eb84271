#pragma once
// What every scene fuzzer asks of its input: it loads, or fails with a message; a scene that
// loads saves, loads again and saves to the same bytes. A broken promise traps, so the fuzzer
// keeps the input.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "saved_scene.h"
#include "scene_file.h"

inline void CheckSceneRoundTrip(const uint8_t* data, size_t size) {
  auto check = [](bool holds) {
    if (!holds) __builtin_trap();
  };
  ResetScene();
  MSTR error;
  if (LoadSceneFromMemory(data, size, &error, L"fuzz input") != IO_OK) {
    check(!error.isNull());
    return;
  }
  std::vector<uint8_t> first = SaveSceneBytes(&error);
  check(!first.empty());
  check(LoadSceneFromMemory(first.data(), first.size(), &error) == IO_OK);
  check(SaveSceneBytes(&error) == first);
}
