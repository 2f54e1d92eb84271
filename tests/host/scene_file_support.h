#pragma once
// Helpers for the scene-file tests: a probe class that exercises ISave and ILoad and records
// what it saw, a reader and writer of the chunk tree written from the format's description
// (so tests can edit files), and shorthands for saving and loading in memory.
#include <cstdint>
#include <string>
#include <vector>

#include "ioapi.h"
#include "max.h"
#include "scene_file.h"

struct ChunkNode {
  uint16_t id = 0;
  bool container = false;
  std::vector<uint8_t> data;
  std::vector<ChunkNode> kids;
  // The nth child with this ID; fails the test when there is none.
  ChunkNode& Kid(uint16_t kid, int nth = 0);
};

struct SceneBytes {
  std::vector<uint8_t> header;  // magic and version
  std::vector<ChunkNode> top;
  ChunkNode& Scene();
  ChunkNode& Object(int i) { return Scene().Kid(0x5C10).Kid(0x5C11, i); }
};

SceneBytes ParseScene(const std::vector<uint8_t>& file);
std::vector<uint8_t> Serialize(const SceneBytes& scene);
std::vector<uint8_t> U32s(std::initializer_list<uint32_t> values);

std::vector<uint8_t> SaveToBytes();
// The load's result; the message lands in *message.
IOResult LoadBytes(const std::vector<uint8_t>& bytes, std::wstring* message = nullptr);

// Starts and ends a test with an empty scene.
struct CleanScene {
  CleanScene() { ResetScene(); }
  ~CleanScene() { ResetScene(); }
};

extern const Class_ID kProbeClassID;

enum class SaveFault { kNone, kMixesDataAndChunks, kLeavesChunkOpen, kEndsHostChunk, kFails };

class Probe : public GeomObject {
 public:
  static inline int alive = 0;
  static inline SaveFault saveFault = SaveFault::kNone;
  // What post-load callbacks saw, in the order they ran.
  static inline std::vector<std::wstring> events;

  Probe() { ++alive; }
  // Saved: a label, a blob, and whether to register callbacks (with 0..9, Load registers two).
  std::wstring label;
  std::vector<uint8_t> blob;
  int callbackPriority = -1;

  // What Load saw.
  std::vector<USHORT> seen;
  bool shortReadReported = false, containerReadRefused = false, hostChunkKept = false;

  int NumRefs() override { return 3; }
  RefTargetHandle GetReference(int i) override { return i >= 0 && i < 3 ? refs[i] : nullptr; }
  Class_ID ClassID() override { return kProbeClassID; }
  void GetClassName(MSTR& s, bool = true) const override { s = L"Probe"; }
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;
  RefResult Take(int i, ReferenceTarget* t) { return ReplaceReference(i, t); }

 protected:
  ~Probe() override { --alive; }
  void SetReference(int i, RefTargetHandle t) override { refs[i] = t; }

 private:
  ReferenceTarget* refs[3] = {};
};
