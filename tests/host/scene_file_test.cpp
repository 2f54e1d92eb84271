// Scene files: what a save and a load bring back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>
#include <vector>

#include "plugin_loader.h"
#include "sample_scene.h"
#include "scene_file_support.h"

namespace {

std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

Probe* ProbeAt(ULONG handle) {
  INode* node = GetCOREInterface()->GetINodeByHandle(handle);
  return node ? dynamic_cast<Probe*>(node->GetObjectRef()) : nullptr;
}

// The reads an object's Load makes, as the map's own loading makes them.
TEST(SceneFile, ObjectsReadTheirOwnChunksThroughTheLoader) {
  CleanScene clean;
  auto* p = new Probe;
  p->label = L"Label \u00fc\u2713 \U0001D538";
  p->blob = {1, 2, 3, 250, 0};
  ULONG handle = GetCOREInterface()->CreateObjectNode(p)->GetHandle();

  ASSERT_EQ(LoadBytes(SaveToBytes()), IO_OK);
  auto* q = ProbeAt(handle);
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(
      std::tuple(q->seen, q->label, q->blob),
      std::tuple(std::vector<USHORT>{0x10, 0x30}, std::wstring(L"Label \u00fc\u2713 \U0001D538"),
                 std::vector<uint8_t>{1, 2, 3, 250, 0}));
  // A read past the chunk's end stops at it and says so.
  EXPECT_TRUE(q->shortReadReported && q->containerReadRefused && q->hostChunkKept);
}

TEST(SceneFile, UnknownChunksAreSkippedAtEveryLevel) {
  CleanScene clean;
  auto* p = new Probe;
  p->label = L"kept";
  p->blob = {7};
  ULONG handle = GetCOREInterface()->CreateObjectNode(p)->GetHandle();
  SceneBytes file = ParseScene(SaveToBytes());
  ChunkNode unknown{0x7777, false, {1, 2, 3}, {}};
  ChunkNode nested{0x7778, true, {}, {unknown, unknown}};
  file.top.insert(file.top.begin(), unknown);
  file.top.push_back(nested);
  file.Scene().kids.insert(file.Scene().kids.begin(), nested);
  ChunkNode& object = file.Object(1);  // the node's object follows the node
  object.kids.insert(object.kids.begin(), unknown);
  ChunkNode& data = object.Kid(0x5C13);
  data.kids.insert(data.kids.begin(), nested);
  data.kids.push_back(unknown);
  file.Object(0).Kid(0x5C13).kids.push_back(nested);

  std::wstring message;
  ASSERT_EQ(LoadBytes(Serialize(file), &message), IO_OK) << message;
  auto* q = ProbeAt(handle);
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(std::tuple(q->label, q->blob), std::tuple(L"kept", std::vector<uint8_t>{7}));
  EXPECT_EQ(std::tuple(q->seen.front(), q->seen.back()), std::tuple(0x7778, 0x7777));
}

TEST(SceneFile, SaveRefusesWhatCouldNotBeLoadedAgain) {
  struct Unregistered : GeomObject {
    Class_ID ClassID() override { return Class_ID(0x0bad, 0x0bad); }
  };
  struct Case {
    SaveFault fault;
    const wchar_t* says;
  } cases[] = {{SaveFault::kNone, L"no class descriptor"},
               {SaveFault::kFails, L"could not save its data"},
               {SaveFault::kMixesDataAndChunks, L"both data and chunks"},
               {SaveFault::kLeavesChunkOpen, L"left chunks open"},
               {SaveFault::kEndsHostChunk, L"never begun"}};
  for (const Case& c : cases) {
    CleanScene clean;
    auto* p = new Probe;
    if (c.fault == SaveFault::kNone) p->Take(1, new Unregistered);
    GetCOREInterface()->CreateObjectNode(p);
    Probe::saveFault = c.fault;
    void* data = &clean;
    size_t size = 1;
    MSTR error;
    EXPECT_EQ(SaveSceneToMemory(&data, &size, &error), IO_ERROR);
    Probe::saveFault = SaveFault::kNone;
    EXPECT_TRUE(data == nullptr && size == 0u);
    std::wstring text = error.data();
    EXPECT_TRUE(text.find(c.says) != text.npos && text.find(L"object ") != text.npos) << text;
  }
}

TEST(SceneFile, FilesOnDiskKeepNonAsciiNames) {
  CleanScene clean;
  SampleScene s = BuildSampleScene();
  ULONG handle = s.poly->GetHandle();
  // Built by hand: natively the standard library converts wide paths through the locale.
  std::filesystem::path dir = std::filesystem::temp_directory_path();
  std::wstring path = dir.wstring() + L"/sc\u00e8ne \u2713 h-io.kvs";
  MSTR error;
  ASSERT_EQ(SaveScene(path.c_str(), &error), IO_OK) << error.data();
  ResetScene();
  ASSERT_EQ(LoadScene(path.c_str(), &error), IO_OK) << error.data();
  INode* poly = GetCOREInterface()->GetINodeByHandle(handle);
  ASSERT_NE(poly, nullptr);
  EXPECT_STREQ(poly->GetName(), L"Poly \u00fc\u2713 \U0001D538");
  EXPECT_TRUE(std::filesystem::remove(dir / std::filesystem::path(u8"sc\u00e8ne \u2713 h-io.kvs")));

  EXPECT_EQ(LoadScene(path.c_str(), &error), IO_ERROR);
  std::wstring text = error.data();
  EXPECT_EQ(text.rfind(path + L": cannot open the file", 0), 0u) << text;
  EXPECT_NE(GetCOREInterface()->GetINodeByHandle(handle), nullptr) << "the scene stays";
}

// The committed fixture was saved by the native build; both builds must read it the same way
// and write it back byte for byte.
TEST(SceneFile, FixtureLoadsAndSavesIdenticallyInEveryBuild) {
  CleanScene clean;
  std::wstring path = std::wstring(GetExecutableDirectory().data()) + L"/sample_scene.kvs";
  std::vector<uint8_t> fixture = ReadFile(std::filesystem::path(path));
  ASSERT_FALSE(fixture.empty()) << "missing " << std::filesystem::path(path).string();
  MSTR error;
  // What a load read differently would be written differently: the bytes say it all.
  ASSERT_EQ(LoadScene(path.c_str(), &error), IO_OK) << error.data();
  EXPECT_EQ(SaveToBytes(), fixture)
      << "regenerate the fixture and the corpus with make_scene_corpus if the format changed";
  // Every field comes back, instances share one object (or the bytes would differ), and the
  // instance keeps it when the other node goes (ASan checks).
  Object* mesh = GetCOREInterface()->GetINodeByName(L"Mesh")->GetObjectRef();
  INode* instance = GetCOREInterface()->GetINodeByName(L"Mesh instance");
  ASSERT_TRUE(mesh && instance && instance->GetObjectRef() == mesh);
  GetCOREInterface()->DeleteNode(GetCOREInterface()->GetINodeByName(L"Mesh"));
  EXPECT_EQ(instance->EvalWorldState(0).obj, mesh);
  EXPECT_EQ(static_cast<TriObject*>(mesh)->GetMesh().numFaces, 3);
}

}  // namespace
