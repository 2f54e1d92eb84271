// Scene files: what a save and a load bring back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>

#include "plugin_loader.h"
#include "sample_scene.h"
#include "scene_file_support.h"

namespace {

std::vector<bool> Bits(const BitArray& a) {
  std::vector<bool> bits;
  for (int i = 0; i < a.GetSize(); ++i) bits.push_back(a[i]);
  return bits;
}

void ExpectSameMesh(const Mesh& a, const Mesh& b) {
  ASSERT_EQ(std::tuple(a.numVerts, a.numFaces), std::tuple(b.numVerts, b.numFaces));
  for (int i = 0; i < a.numVerts; ++i) EXPECT_TRUE(a.verts[i] == b.verts[i]) << "vertex " << i;
  // flags hold the edge visibility and the material ID.
  auto face = [](const Face& f) { return std::tuple(f.v[0], f.v[1], f.v[2], f.smGroup, f.flags); };
  for (int i = 0; i < a.numFaces; ++i) EXPECT_EQ(face(a.faces[i]), face(b.faces[i])) << i;
  EXPECT_EQ(Bits(a.vertSel), Bits(b.vertSel));
  EXPECT_EQ(Bits(a.faceSel), Bits(b.faceSel));
  EXPECT_EQ(Bits(a.edgeSel), Bits(b.edgeSel));
}

void ExpectSameMNMesh(const MNMesh& a, const MNMesh& b) {
  EXPECT_EQ(a.ExportFlags(), b.ExportFlags());
  ASSERT_EQ(a.VNum(), b.VNum());
  for (int i = 0; i < a.VNum(); ++i) {
    EXPECT_TRUE(a.P(i) == b.P(i));
    EXPECT_EQ(a.V(i)->ExportFlags(), b.V(i)->ExportFlags());
  }
  auto face = [](const MNFace& f) {
    return std::tuple(std::vector<int>(f.vtx, f.vtx + f.deg),
                      std::vector<int>(f.edg, f.edg + f.deg), f.smGroup, f.material,
                      f.ExportFlags());
  };
  ASSERT_EQ(a.FNum(), b.FNum());
  for (int i = 0; i < a.FNum(); ++i) EXPECT_EQ(face(*a.F(i)), face(*b.F(i))) << "face " << i;
  // The edge table is rebuilt from the faces, with each edge's flags.
  auto edge = [](const MNEdge& e) { return std::tuple(e.v1, e.v2, e.f1, e.f2, e.ExportFlags()); };
  ASSERT_EQ(a.ENum(), b.ENum());
  for (int i = 0; i < a.ENum(); ++i) EXPECT_EQ(edge(*a.E(i)), edge(*b.E(i))) << "edge " << i;
}

void ExpectSameTM(const Matrix3& a, const Matrix3& b) {
  for (int r = 0; r < 4; ++r) EXPECT_TRUE(a.GetRow(r) == b.GetRow(r)) << "row " << r;
}

std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(SceneFile, SampleSceneComesBackFieldByField) {
  CleanScene clean;
  SampleScene s = BuildSampleScene();
  INode* before[4] = {s.mesh, s.instance, s.poly, s.box};
  ULONG handles[4];
  std::wstring names[4];
  Matrix3 tms[4];
  for (int i = 0; i < 4; ++i) {
    handles[i] = before[i]->GetHandle();
    names[i] = before[i]->GetName();
    tms[i] = before[i]->GetNodeTM(0);
  }
  // Copies: the load deletes the originals.
  Mesh tri = static_cast<TriObject*>(s.mesh->GetObjectRef())->GetMesh();
  MNMesh poly = static_cast<PolyObject*>(s.poly->GetObjectRef())->GetMesh();
  std::vector<uint8_t> bytes = SaveToBytes();

  std::wstring message;
  ASSERT_EQ(LoadBytes(bytes, &message), IO_OK) << message;
  EXPECT_TRUE(message.empty());
  INode* after[4];
  for (int i = 0; i < 4; ++i) {
    after[i] = GetCOREInterface()->GetINodeByHandle(handles[i]);
    ASSERT_NE(after[i], nullptr) << "handle " << handles[i];
    EXPECT_EQ(after[i]->GetName(), names[i]);
    ExpectSameTM(after[i]->GetNodeTM(0), tms[i]);
  }
  Object* mesh = after[0]->GetObjectRef();
  ASSERT_TRUE(mesh && mesh->IsSubClassOf(triObjectClassID));
  EXPECT_EQ(after[1]->GetObjectRef(), mesh) << "instances share their object";
  ExpectSameMesh(static_cast<TriObject*>(mesh)->GetMesh(), tri);
  Object* polyObj = after[2]->GetObjectRef();
  ASSERT_TRUE(polyObj && polyObj->IsSubClassOf(polyObjectClassID));
  ExpectSameMNMesh(static_cast<PolyObject*>(polyObj)->GetMesh(), poly);
  auto* box = dynamic_cast<BoxObject*>(after[3]->GetObjectRef());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(std::tuple(box->width, box->length, box->height), std::tuple(10.0f, 20.0f, 5.0f));
  EXPECT_EQ(std::tuple(box->widthSegs, box->lengthSegs, box->heightSegs), std::tuple(2, 3, 1));

  EXPECT_EQ(SaveToBytes(), bytes) << "saving what was loaded writes the same file";
  // The instance keeps the shared object when the other node goes (ASan checks).
  GetCOREInterface()->DeleteNode(after[0]);
  EXPECT_EQ(after[1]->EvalWorldState(0).obj, mesh);
  EXPECT_EQ(static_cast<TriObject*>(mesh)->GetMesh().numFaces, 3);
}

TEST(SceneFile, ObjectsReadTheirOwnChunksThroughTheLoader) {
  CleanScene clean;
  auto* p = new Probe;
  p->label = L"Label \u00fc\u2713 \U0001D538";
  p->labelUtf8 = "Label \xC3\xBC\xE2\x9C\x93 \xF0\x9D\x94\xB8";
  p->text = "na\xC3\xAFve \xE2\x9C\x93 \xF0\x9D\x94\xB8";
  p->wideText = L"na\u00efve \u2713 \U0001D538";
  p->blob = {1, 2, 3, 250, 0};
  ULONG handle = GetCOREInterface()->CreateObjectNode(p)->GetHandle();

  ASSERT_EQ(LoadBytes(SaveToBytes()), IO_OK);
  auto* q = dynamic_cast<Probe*>(GetCOREInterface()->GetINodeByHandle(handle)->GetObjectRef());
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(q->seen, (std::vector<USHORT>{0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x30}));
  EXPECT_EQ(q->label, L"Label \u00fc\u2713 \U0001D538");
  EXPECT_EQ(q->text, "na\xC3\xAFve \xE2\x9C\x93 \xF0\x9D\x94\xB8");
  EXPECT_EQ(q->labelFromUtf8, q->label) << "UTF-8 in, wide out";
  EXPECT_EQ(q->labelAsUtf8, "Label \xC3\xBC\xE2\x9C\x93 \xF0\x9D\x94\xB8") << "wide in, UTF-8 out";
  EXPECT_EQ(q->textFromWide, q->text);
  EXPECT_EQ(q->textAsWide, L"na\u00efve \u2713 \U0001D538");
  EXPECT_EQ(q->blob, (std::vector<uint8_t>{1, 2, 3, 250, 0}));
  EXPECT_TRUE(q->shortReadReported) << "a read past the chunk's end stops at it and says so";
  EXPECT_TRUE(q->containerReadRefused);
  EXPECT_TRUE(q->hostChunkKept);
}

TEST(SceneFile, UnknownChunksAreSkippedAtEveryLevel) {
  CleanScene clean;
  auto* p = new Probe;
  p->label = L"kept";
  p->blob = {7};
  INode* node = GetCOREInterface()->CreateObjectNode(p);
  ULONG handle = node->GetHandle();
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
  auto* q = dynamic_cast<Probe*>(GetCOREInterface()->GetINodeByHandle(handle)->GetObjectRef());
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
    EXPECT_NE(text.find(c.says), std::wstring::npos) << text;
    EXPECT_NE(text.find(L"object "), std::wstring::npos) << text;
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
  ASSERT_NE(GetCOREInterface()->GetINodeByHandle(handle), nullptr);
  EXPECT_STREQ(GetCOREInterface()->GetINodeByHandle(handle)->GetName(),
               L"Poly \u00fc\u2713 \U0001D538");
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
}

}  // namespace
