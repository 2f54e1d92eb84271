#include "scene_file_support.h"

#include <gtest/gtest.h>

#include <cstring>

#include "plugin_loader.h"
#include "saved_scene.h"

const Class_ID kProbeClassID(0x7e57f11e, 0x0001);

ChunkNode& ChunkNode::Kid(uint16_t kid, int nth) {
  for (ChunkNode& k : kids)
    if (k.id == kid && nth-- == 0) return k;
  ADD_FAILURE() << "no chunk " << kid << " in chunk " << id;
  static ChunkNode none;
  return none;
}

namespace {

uint32_t Get32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Little-endian, as the files are.
void Put(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

std::vector<ChunkNode> ParseChunks(const uint8_t* p, size_t n) {
  std::vector<ChunkNode> out;
  for (size_t at = 0; at + 8 <= n;) {
    ChunkNode c;
    c.id = uint16_t(p[at] | p[at + 1] << 8);
    c.container = p[at + 2] & 1;
    size_t length = Get32(p + at + 4);
    const uint8_t* body = p + at + 8;
    if (c.container)
      c.kids = ParseChunks(body, length);
    else
      c.data.assign(body, body + length);
    out.push_back(std::move(c));
    at += 8 + length;
  }
  return out;
}

void Write(std::vector<uint8_t>& out, const ChunkNode& c) {
  std::vector<uint8_t> body = c.data;
  for (const ChunkNode& k : c.kids) Write(body, k);
  Put(out, c.id, 2);
  Put(out, c.container ? 1 : 0, 2);
  Put(out, uint32_t(body.size()), 4);
  out.insert(out.end(), body.begin(), body.end());
}

class ProbeCallback : public PostLoadCallback {
 public:
  ProbeCallback(Probe* probe, int priority) : probe(probe), priority(priority) {}
  void proc(ILoad*) override {
    INode* node = GetCOREInterface()->GetINodeByName(L"Probe node");
    bool inScene = node && node->GetObjectRef() == probe;
    Probe::events.push_back(L"priority " + std::to_wstring(priority) +
                            (probe->GetReference(0) ? L", references" : L", no references") +
                            (inScene ? L", in the scene" : L", not in the scene"));
    delete this;
  }
  int Priority() override { return priority; }

 private:
  Probe* probe;
  int priority;
};

class ProbeDesc : public ClassDesc {
 public:
  int IsPublic() override { return 0; }
  void* Create(BOOL) override { return static_cast<ReferenceTarget*>(new Probe); }
  const MCHAR* ClassName() override { return L"Probe"; }
  const MCHAR* NonLocalizedClassName() override { return L"Probe"; }
  SClass_ID SuperClassID() override { return GEOMOBJECT_CLASS_ID; }
  Class_ID ClassID() override { return kProbeClassID; }
  const MCHAR* Category() override { return L""; }
};

const bool probeRegistered = GetClassDirectory().AddClass(new ProbeDesc);

}  // namespace

ChunkNode& SceneBytes::Scene() {
  for (ChunkNode& c : top)
    if (c.id == 0x5C00) return c;
  ADD_FAILURE() << "no scene chunk";
  static ChunkNode none;
  return none;
}

SceneBytes ParseScene(const std::vector<uint8_t>& file) {
  SceneBytes s;
  if (file.size() < 12) return s;
  s.header.assign(file.begin(), file.begin() + 12);
  s.top = ParseChunks(file.data() + 12, file.size() - 12);
  return s;
}

std::vector<uint8_t> Serialize(const SceneBytes& scene) {
  std::vector<uint8_t> out = scene.header;
  for (const ChunkNode& c : scene.top) Write(out, c);
  return out;
}

std::vector<uint8_t> U32s(std::initializer_list<uint32_t> values) {
  std::vector<uint8_t> out;
  for (uint32_t v : values) Put(out, v, 4);
  return out;
}

std::vector<uint8_t> SaveToBytes() {
  EXPECT_TRUE(probeRegistered);
  MSTR error;
  std::vector<uint8_t> bytes = SaveSceneBytes(&error);
  EXPECT_FALSE(bytes.empty()) << error.data();
  return bytes;
}

IOResult LoadBytes(const std::vector<uint8_t>& bytes, std::wstring* message) {
  MSTR error;
  IOResult r = LoadSceneFromMemory(bytes.data(), bytes.size(), &error, L"test.kvs");
  if (message) *message = error.data();
  return r;
}

IOResult Probe::Save(ISave* isave) {
  if (saveFault == SaveFault::kFails) return IO_ERROR;
  auto chunk = [isave](USHORT id, auto write) {
    isave->BeginChunk(id);
    write();
    isave->EndChunk();
  };
  chunk(0x10, [&] { isave->WriteWString(label.c_str()); });
  ULONG written = 0;
  chunk(0x30, [&] {
    chunk(0x31, [&] { isave->Write(blob.data(), ULONG(blob.size()), &written); });
    chunk(0x32, [&] { isave->Write(&callbackPriority, sizeof callbackPriority, &written); });
  });
  if (saveFault == SaveFault::kMixesDataAndChunks)
    chunk(0x40, [&] {
      isave->Write(&written, sizeof written, &written);
      chunk(0x41, [] {});
    });
  if (saveFault == SaveFault::kLeavesChunkOpen) isave->BeginChunk(0x50);
  if (saveFault == SaveFault::kEndsHostChunk) isave->EndChunk();
  return IO_OK;
}

IOResult Probe::Load(ILoad* iload) {
  while (iload->OpenChunk() == IO_OK) {
    USHORT id = iload->CurChunkID();
    seen.push_back(id);
    wchar_t* wide = nullptr;
    if (id == 0x10 && iload->ReadWStringChunk(&wide) == IO_OK) label = wide;
    if (label == L"throw") throw MaxSDK::Util::OutOfRangeException(L"no such marker");
    if (id == 0x30) {
      ULONG got = 0;
      uint8_t byte = 0;
      containerReadRefused = iload->CurChunkType() == CONTAINER_CHUNK &&
                             iload->Read(&byte, 1, &got) == IO_ERROR && got == 0;
      if (iload->PeekNextChunkID() == 0x31 && iload->OpenChunk() == IO_OK) {
        std::vector<uint8_t> more(iload->CurChunkLength() + 4);
        shortReadReported = iload->Read(more.data(), ULONG(more.size()), &got) == IO_ERROR &&
                            got == more.size() - 4;
        blob.assign(more.begin(), more.begin() + got);
        iload->CloseChunk();
      }
      if (iload->OpenChunk() == IO_OK) {
        iload->Read(&callbackPriority, sizeof callbackPriority, &got);
        iload->CloseChunk();
      }
    }
    iload->CloseChunk();
  }
  // The object's own chunk ends here: the host's chunks stay open whatever it asks.
  hostChunkKept = iload->CloseChunk() == IO_ERROR && iload->OpenChunk() == IO_END;
  if (callbackPriority >= 0) {
    iload->RegisterPostLoadCallback(new ProbeCallback(this, callbackPriority));
    iload->RegisterPostLoadCallback(new ProbeCallback(this, 9 - callbackPriority));
  }
  return IO_OK;
}
