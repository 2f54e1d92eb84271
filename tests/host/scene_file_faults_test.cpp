// Scene files that are broken: every fault is an error naming the file and what is wrong,
// never a crash, and the scene stays as it was. Every truncation is the map's persistence
// tests' (a scene holding a map) and the fuzzers'.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <utility>

#include "sample_scene.h"
#include "scene_file_support.h"

namespace {

// The sample scene plus a probe that registers callbacks, saved; the scene stays loaded so
// every failed load can be checked to leave it alone.
class SceneFileFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    sample = BuildSampleScene();
    auto* p = new Probe;
    p->callbackPriority = 3;
    p->Take(0, sample.box->GetObjectRef());
    probeNode = GetCOREInterface()->CreateObjectNode(p);
    probeNode->SetName(L"Probe node");
    saved = SaveToBytes();
    probesBefore = Probe::alive;
    Probe::events.clear();
  }

  // Loads bytes that must fail; returns the message after checking what every failure owes.
  std::wstring ExpectFailure(const std::vector<uint8_t>& bytes) {
    std::wstring message;
    EXPECT_EQ(LoadBytes(bytes, &message), IO_ERROR);
    EXPECT_EQ(message.rfind(L"test.kvs: ", 0), 0u) << "names the file: " << Text(message);
    for (INode* n : {sample.mesh, sample.instance, sample.poly, sample.box, probeNode})
      EXPECT_EQ(GetCOREInterface()->GetINodeByHandle(n->GetHandle()), n) << "the scene stays";
    EXPECT_EQ(Probe::alive, probesBefore) << "what the load made is gone";
    return message;
  }

  static std::string Text(const std::wstring& s) { return std::string(s.begin(), s.end()); }
  // The chunks the cases edit: an object's references, a chunk of its data, the node list.
  static auto& Refs(SceneBytes& f, int i) { return f.Object(i).Kid(0x5C14).data; }
  static auto& Data(SceneBytes& f, int i, uint16_t id) {
    return f.Object(i).Kid(0x5C13).Kid(id).data;
  }
  static auto& Nodes(SceneBytes& f) { return f.Scene().Kid(0x5C20).data; }

  int ObjectOf(SceneBytes& file, uint32_t classA) {
    for (int i = 0; i < int(file.Scene().Kid(0x5C10).kids.size()); ++i) {
      const std::vector<uint8_t>& cls = file.Object(i).Kid(0x5C12).data;
      if (cls.size() >= 8 &&
          (cls[4] | cls[5] << 8 | cls[6] << 16 | uint32_t(cls[7]) << 24) == classA)
        return i;
    }
    ADD_FAILURE() << "no object of class " << classA;
    return 0;
  }

  CleanScene clean;
  SampleScene sample{};
  INode* probeNode = nullptr;
  std::vector<uint8_t> saved;
  int probesBefore = 0;
};

TEST_F(SceneFileFaults, BadHeadersAreRefused) {
  std::vector<uint8_t> header(saved.begin(), saved.begin() + 12), v0 = header, v2 = header,
                                                                  stray = header;
  v0[8] = 0;
  v2[8] = 2;
  stray.insert(stray.end(), {1, 2, 3});
  const std::pair<std::vector<uint8_t>, const wchar_t*> cases[] = {
      {{}, L"not a scene file"},       {std::vector<uint8_t>(64, 'x'), L"not a scene file"},
      {v0, L"version 0 is not valid"}, {v2, L"newer"},
      {header, L"holds no scene"},     {stray, L"ends inside a chunk header"}};
  for (const auto& [bytes, says] : cases) {
    std::wstring message = ExpectFailure(bytes);
    EXPECT_NE(message.find(says), std::wstring::npos) << Text(message);
  }
}

TEST_F(SceneFileFaults, FramingFaultsNameTheChunk) {
  // A chunk whose length runs past its parent's end, and one with flags this host does not
  // know: the file is refused before any object is made.
  SceneBytes file = ParseScene(saved);
  std::vector<uint8_t> bytes = Serialize(file);
  size_t classAt = 12 + 8 + 8 + 8;  // scene, table, first object, then its class chunk
  ASSERT_EQ(bytes[classAt] | bytes[classAt + 1] << 8, 0x5C12);
  std::vector<uint8_t> longer = bytes, flagged = bytes;
  longer[classAt + 4] = 0xF0;
  flagged[classAt + 2] = 0x04;
  std::wstring message = ExpectFailure(longer);
  EXPECT_NE(message.find(L"chunk 0x5C12 at byte 36 claims"), std::wstring::npos) << Text(message);
  EXPECT_NE(message.find(L"its parent chunk 0x5C11"), std::wstring::npos) << Text(message);
  EXPECT_NE(ExpectFailure(flagged).find(L"unknown flags"), std::wstring::npos);
}

TEST_F(SceneFileFaults, ContentFaultsAreErrorsNotCrashes) {
  struct Case {
    const char* name;
    std::function<void(SceneBytes&)> edit;
    const wchar_t* says;
  };
  const uint32_t kNone = 0xFFFFFFFF;
  auto tri = [&](SceneBytes& f) { return ObjectOf(f, TRIOBJ_CLASS_ID); };
  auto probe = [&](SceneBytes& f) { return ObjectOf(f, kProbeClassID.PartA()); };
  std::vector<Case> cases = {
      {"unknown class", [&](SceneBytes& f) { f.Object(tri(f)).Kid(0x5C12).data[4] = 0x77; },
       L"'Editable Mesh' (super class 0x0010, class 0x0077:0x0000) is of an unknown class"},
      {"no class", [](SceneBytes& f) { f.Object(0).kids.erase(f.Object(0).kids.begin()); },
       L"object 0 has data before its class"},
      {"no data",
       [](SceneBytes& f) {
         std::erase_if(f.Object(0).kids, [](auto& k) { return k.id == 0x5C13; });
       },
       L"object 0 'Node' (super class 0x0001, class 0x0001:0x0000) has no data"},
      {"reference outside the table", [&](SceneBytes& f) { Refs(f, 0) = U32s({99}); },
       L"reference 0 names object 99 of"},
      {"negative reference", [&](SceneBytes& f) { Refs(f, 0) = U32s({0xFFFFFFFB}); },
       L"names object -5"},
      {"reference list cut", [&](SceneBytes& f) { Refs(f, 0).resize(3); },
       L"broken reference list"},
      {"too many references",
       [&](SceneBytes& f) {
         Refs(f, 0) = U32s({kNone, 1});
       },
       L"reference 1 to object 1 was refused"},
      {"a loop",  // the probe made to hold itself
       [&](SceneBytes& f) {
         Refs(f, probe(f)) = U32s({kNone, uint32_t(probe(f)), kNone});
       },
       L"closes a loop"},
      {"an object that throws",
       [&](SceneBytes& f) {
         f.Object(probe(f)).Kid(0x5C13).Kid(0x10).data = {'t', 0, 'h', 0, 'r', 0,
                                                          'o', 0, 'w', 0, 0,   0};
       },
       L"'Probe' (super class 0x0010, class 0x7E57F11E:0x0001) threw while loading: no such "
       L"marker"},
      {"node on a non-object", [&](SceneBytes& f) { Refs(f, 0) = U32s({2}); },
       L"reference 0 to object 2 is not a geometric object"},
      {"node list names a mesh", [&](SceneBytes& f) { Nodes(f) = U32s({uint32_t(tri(f))}); },
       L"which is not a node"},
      {"node listed twice",
       [&](SceneBytes& f) {
         Nodes(f) = U32s({0, 0});
       },
       L"names object 0 twice"},
      {"handle taken twice", [&](SceneBytes& f) { Data(f, 2, 0x0100) = Data(f, 0, 0x0100); },
       L"another node has"},
      {"handle zero", [&](SceneBytes& f) { Data(f, 0, 0x0100) = U32s({0}); },
       L"handle 0 is not valid"},
      {"no object table", [](SceneBytes& f) { f.Scene().kids.erase(f.Scene().kids.begin()); },
       L"no object table"},
      {"face past the vertices", [&](SceneBytes& f) { Data(f, tri(f), 0x0210)[4] = 9; },
       L"face 0 uses vertex 9 of 5"},
      {"polygon degree past the chunk",
       [&](SceneBytes& f) {
         std::vector<uint8_t>& d = Data(f, ObjectOf(f, POLYOBJ_CLASS_ID), 0x0320);
         d[0] = d[1] = d[2] = d[3] = 0xFF;
       },
       L"polygon face 0 is cut short"},
      {"box parameters cut",
       [&](SceneBytes& f) { Data(f, ObjectOf(f, BOXOBJ_CLASS_ID), 0x0400).resize(20); },
       L"take 20 bytes, not 24"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SceneBytes file = ParseScene(saved);
    c.edit(file);
    std::wstring message = ExpectFailure(Serialize(file));
    EXPECT_NE(message.find(c.says), std::wstring::npos) << Text(message);
  }
}

TEST_F(SceneFileFaults, AFailedLoadStillRunsItsCallbacksAndFreesWhatItMade) {
  // The probe loads and registers its callbacks; the node list then names it as a node.
  SceneBytes file = ParseScene(saved);
  file.Scene().Kid(0x5C20).data = U32s({uint32_t(ObjectOf(file, kProbeClassID.PartA()))});
  ExpectFailure(Serialize(file));
  EXPECT_EQ(Probe::events,
            (std::vector<std::wstring>{L"priority 3, references, not in the scene",
                                       L"priority 6, references, not in the scene"}));
}

TEST_F(SceneFileFaults, BoxSegmentsAreTakenIntoTheHostsRange) {
  SceneBytes file = ParseScene(saved);
  std::vector<uint8_t>& d =
      file.Object(ObjectOf(file, BOXOBJ_CLASS_ID)).Kid(0x5C13).Kid(0x0400).data;
  std::vector<uint8_t> segs = U32s({0x7FFFFFFF, 0x80000000, 0});
  std::copy(segs.begin(), segs.end(), d.begin() + 12);
  ASSERT_EQ(LoadBytes(Serialize(file)), IO_OK);
  auto* box = dynamic_cast<BoxObject*>(GetCOREInterface()->GetINodeByName(L"Box")->GetObjectRef());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(std::tuple(box->widthSegs, box->lengthSegs, box->heightSegs),
            std::tuple(BoxObject::kMaxSegments, 1, 1));
}

// Deleting a chain of objects recurses once per link, so files cannot nest them without end.
TEST_F(SceneFileFaults, ReferencesNestAtMostAThousandLevels) {
  ResetScene();  // one probe alone, without the sample scene
  GetCOREInterface()->CreateObjectNode(new Probe);
  SceneBytes file = ParseScene(SaveToBytes());
  ResetScene();
  int before = Probe::alive;
  auto chain = [&file](uint32_t probes) {
    SceneBytes f = file;
    std::vector<ChunkNode>& table = f.Scene().Kid(0x5C10).kids;
    ChunkNode probe = table.at(1);
    table.resize(1);
    for (uint32_t i = 1; i <= probes; ++i) {
      probe.Kid(0x5C14).data = U32s({i < probes ? i + 1 : 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF});
      table.push_back(probe);
    }
    return Serialize(f);
  };
  std::wstring message;
  EXPECT_EQ(LoadBytes(chain(1000), &message), IO_ERROR);
  EXPECT_NE(message.find(L"references nest more than 1000 levels deep"), std::wstring::npos);
  ASSERT_EQ(LoadBytes(chain(999), &message), IO_OK) << std::string(message.begin(), message.end());
  EXPECT_EQ(Probe::alive, before + 999);
  ResetScene();
  EXPECT_EQ(Probe::alive, before) << "the whole chain went with its node";
}

}  // namespace
