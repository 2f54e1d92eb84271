// Saving and loading the whole scene as one table of objects: the nodes in handle order, each
// followed depth-first by what it references. The file layout is described in scene_file.h.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "MaxExceptions.h"
#include "chunk_io.h"
#include "host_undo.h"
#include "plugin_loader.h"
#include "scene_file.h"
#include "scene_internal.h"

using chunkfile::ByteReader;
using chunkfile::ByteWriter;

namespace {

// Chunks of the scene's structure: part of the file format.
constexpr USHORT kSceneChunk = 0x5C00;
constexpr USHORT kObjectTableChunk = 0x5C10;
constexpr USHORT kObjectChunk = 0x5C11;
constexpr USHORT kClassChunk = 0x5C12;
constexpr USHORT kDataChunk = 0x5C13;
constexpr USHORT kRefsChunk = 0x5C14;
constexpr USHORT kNodesChunk = 0x5C20;
constexpr int32_t kNoRef = -1;
constexpr size_t kMaxReferenceDepth = 1000;

ClassDirectory& Directory() {
  ClassDirectory& dir = GetClassDirectory();
  hostscene::RegisterHostGeometryClasses(dir);
  return dir;
}

std::wstring Num(size_t n) {
  return std::to_wstring(n);
}

std::wstring Describe(size_t i, const std::wstring& name, SClass_ID sc, Class_ID id) {
  return L"object " + Num(i) + L" '" + name + L"' (super class " + HexId(sc) + L", class " +
         HexId(id.PartA()) + L":" + HexId(id.PartB()) + L")";
}

IOResult Report(MSTR* error, const MCHAR* file, const std::wstring& why) {
  if (error) *error = (std::wstring(file) + L": " + why).c_str();
  return IO_ERROR;
}

IOResult Succeed(MSTR* error) {
  if (error) *error = MSTR();
  return IO_OK;
}

// ---- Saving ----

std::vector<ReferenceTarget*> CollectObjects(const std::vector<INode*>& nodes,
                                             std::unordered_map<ReferenceTarget*, int32_t>& index) {
  std::vector<ReferenceTarget*> table;
  // An explicit stack: a chain of references may be longer than the call stack allows.
  std::vector<std::pair<ReferenceTarget*, int>> stack;
  auto visit = [&](ReferenceTarget* t) {
    if (!t || index.count(t)) return;
    index.emplace(t, int32_t(table.size()));
    table.push_back(t);
    stack.emplace_back(t, 0);
  };
  for (INode* node : nodes) {
    visit(node);
    while (!stack.empty()) {
      auto& [t, next] = stack.back();
      if (next >= t->NumRefs()) {
        stack.pop_back();
        continue;
      }
      visit(t->GetReference(next++));
    }
  }
  return table;
}

bool WriteObject(ChunkWriter& w, size_t i, ReferenceTarget* obj,
                 const std::unordered_map<ReferenceTarget*, int32_t>& index, std::wstring& why) {
  SClass_ID sc = obj->SuperClassID();
  Class_ID id = obj->ClassID();
  MSTR className;
  obj->GetClassName(className);
  std::wstring what = Describe(i, className.data(), sc, id);
  ClassDesc* cd = Directory().FindClass(sc, id);
  if (!cd) {
    why = what + L" has no class descriptor, so it could not be loaded again";
    return false;
  }
  w.BeginChunk(kObjectChunk);

  ByteWriter ids;
  ids.U32(sc);
  ids.U32(id.PartA());
  ids.U32(id.PartB());
  w.BeginChunk(kClassChunk);
  w.Write(ids.bytes.data(), ULONG(ids.bytes.size()), nullptr);
  w.WriteWString(cd->ClassName() ? cd->ClassName() : L"");
  w.EndChunk();

  w.BeginChunk(kDataChunk);
  int depth = w.CurChunkDepth();
  w.SetFloor(depth);
  IOResult saved = obj->Save(&w);
  w.SetFloor(0);
  if (w.Failed()) {
    why = what + L": " + w.Error();
    return false;
  }
  if (w.CurChunkDepth() != depth) {
    why = what + L" left chunks open";
    return false;
  }
  if (saved != IO_OK) {
    why = what + L" could not save its data";
    return false;
  }
  w.EndChunk();

  ByteWriter refs;
  for (int j = 0; j < obj->NumRefs(); ++j) {
    ReferenceTarget* t = obj->GetReference(j);
    auto it = t ? index.find(t) : index.end();
    if (t && it == index.end()) {
      why = what + L" changed its references while it was saved";
      return false;
    }
    refs.I32(t ? it->second : kNoRef);
  }
  WriteDataChunk(&w, kRefsChunk, refs.bytes);
  w.EndChunk();
  return true;
}

bool WriteScene(ChunkWriter& w, std::wstring& why) {
  std::vector<INode*> nodes = hostscene::Nodes();
  std::unordered_map<ReferenceTarget*, int32_t> index;
  std::vector<ReferenceTarget*> table = CollectObjects(nodes, index);
  w.BeginChunk(kSceneChunk);
  w.BeginChunk(kObjectTableChunk);
  for (size_t i = 0; i < table.size(); ++i)
    if (!WriteObject(w, i, table[i], index, why)) return false;
  w.EndChunk();
  ByteWriter nodeList;
  for (INode* node : nodes) nodeList.U32(uint32_t(index.at(node)));
  WriteDataChunk(&w, kNodesChunk, nodeList.bytes);
  w.EndChunk();
  if (w.Failed()) {
    why = w.Error();
    return false;
  }
  return true;
}

// ---- Loading ----

// Objects' own code may throw on data it did not expect: that is a bad file too, not a crash.
template <class F>
bool Guarded(F&& f, std::wstring& thrown) {
  try {
    f();
    return true;
  } catch (const MaxSDK::Util::Exception& e) {
    thrown = e.What() ? e.What() : L"";
  } catch (const std::exception& e) {
    thrown = chunkfile::DecodeUtf8(e.what(), std::strlen(e.what()));
  } catch (...) {
    thrown = L"an unknown exception";
  }
  return false;
}

// Holds every object of the table while the load runs, so none goes before its references
// are installed; when it goes, so do the objects nothing else came to hold.
class LoadHolder : public ReferenceMaker {
 public:
  std::vector<ReferenceTarget*> refs;
  int NumRefs() override { return int(refs.size()); }
  RefTargetHandle GetReference(int i) override {
    return i >= 0 && i < NumRefs() ? refs[size_t(i)] : nullptr;
  }

 protected:
  void SetReference(int i, RefTargetHandle t) override {
    if (i >= 0 && i < NumRefs()) refs[size_t(i)] = t;
  }
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage, BOOL) override {
    return REF_DONTCARE;
  }
};

class SceneLoader {
 public:
  explicit SceneLoader(ChunkReader& reader) : reader(reader), holder(new LoadHolder) {}
  // Lets go of the objects makers first, so that no deletion cascades down a chain.
  ~SceneLoader() {
    for (size_t i : order) holder->DeleteReference(int(i));
    holder->DeleteThis();
  }
  SceneLoader(const SceneLoader&) = delete;
  SceneLoader& operator=(const SceneLoader&) = delete;

  bool Load(std::wstring& why) {
    bool found = false;
    while (reader.OpenChunk() == IO_OK) {
      if (reader.CurChunkID() == kSceneChunk && !found) {
        found = true;
        if (!ReadScene(why)) return false;
      }
      reader.CloseChunk();
    }
    if (reader.Failed()) return Fail(why, reader.Error());
    if (!found) return Fail(why, L"the file holds no scene");
    return InstallReferences(why) && PickNodes(why);
  }

  // Every callback registered runs once, also after a failed load (while the objects are
  // still there), so each can free itself.
  void RunCallbacks() {
    reader.Finish();
    for (auto callbacks = reader.TakeCallbacks(); !callbacks.empty();
         callbacks = reader.TakeCallbacks())
      for (PostLoadCallback* cb : callbacks) cb->proc(&reader);
  }

  std::vector<INode*> nodes;

 private:
  static bool Fail(std::wstring& why, const std::wstring& reason) {
    why = reason;
    return false;
  }

  bool ReadScene(std::wstring& why) {
    if (reader.CurChunkType() != CONTAINER_CHUNK) return Fail(why, L"the scene chunk is empty");
    bool table = false, nodeList = false;
    while (reader.OpenChunk() == IO_OK) {
      USHORT id = reader.CurChunkID();
      if (id == kObjectTableChunk && !table) {
        table = true;
        if (reader.CurChunkLength() && reader.CurChunkType() != CONTAINER_CHUNK)
          return Fail(why, L"the object table holds data instead of objects");
        for (size_t i = 0; reader.OpenChunk() == IO_OK; reader.CloseChunk())
          if (reader.CurChunkID() == kObjectChunk && !ReadObject(i++, why)) return false;
      } else if (id == kNodesChunk && !nodeList) {
        nodeList = true;
        std::vector<uint8_t> bytes = ReadDataChunk(&reader);
        if (bytes.size() != reader.CurChunkLength() || bytes.size() % 4)
          return Fail(why, L"the node list is not a list of object numbers");
        ByteReader in(bytes.data(), bytes.size());
        for (uint32_t k = 0; in.U32(k);) nodeIndex.push_back(k);
      }
      reader.CloseChunk();
    }
    if (!table) return Fail(why, L"the scene has no object table");
    if (!nodeList) return Fail(why, L"the scene has no node list");
    return true;
  }

  bool ReadObject(size_t i, std::wstring& why) {
    holder->refs.push_back(nullptr);
    refLists.emplace_back();
    names.push_back(L"object " + Num(i));
    std::wstring& what = names.back();
    ReferenceTarget* obj = nullptr;
    bool loaded = false, refs = false;
    while (reader.OpenChunk() == IO_OK) {
      USHORT id = reader.CurChunkID();
      if (id == kClassChunk && !obj) {
        std::vector<uint8_t> bytes = ReadDataChunk(&reader);
        ByteReader in(bytes.data(), bytes.size());
        uint32_t sc = 0, a = 0, b = 0;
        if (!in.U32(sc) || !in.U32(a) || !in.U32(b)) return Fail(why, what + L" has no class");
        what = Describe(i, chunkfile::DecodeUtf16(in.Here(), in.Left()), sc, Class_ID(a, b));
        ClassDesc* cd = Directory().FindClass(sc, Class_ID(a, b));
        if (!cd) return Fail(why, what + L" is of an unknown class: is its plug-in loaded?");
        obj = static_cast<ReferenceTarget*>(cd->Create(TRUE));
        if (!obj) return Fail(why, what + L" could not be created");
        if (holder->ReplaceReference(int(i), obj) != REF_SUCCEED)
          return Fail(why, what + L" could not be held");
      } else if (id == kDataChunk && !loaded) {
        loaded = true;
        if (!obj) return Fail(why, what + L" has data before its class");
        int depth = reader.CurChunkDepth();
        // The object sees only its own chunk: it cannot close the host's.
        reader.SetFloor(depth);
        IOResult result = IO_ERROR;
        std::wstring thrown;
        bool returned = Guarded([&] { result = obj->Load(&reader); }, thrown);
        reader.SetFloor(0);
        reader.CloseTo(depth);
        if (!returned) return Fail(why, what + L" threw while loading: " + thrown);
        if (reader.Failed()) return Fail(why, what + L": " + reader.Error());
        if (result == IO_ERROR) return Fail(why, what + L" could not read its data");
      } else if (id == kRefsChunk && !refs) {
        refs = true;
        std::vector<uint8_t> bytes = ReadDataChunk(&reader);
        if (bytes.size() != reader.CurChunkLength() || bytes.size() % 4)
          return Fail(why, what + L" has a broken reference list");
        ByteReader in(bytes.data(), bytes.size());
        for (int32_t k = 0; in.I32(k);) refLists.back().push_back(k);
      }
      reader.CloseChunk();
    }
    if (!obj) return Fail(why, what + L" has no class");
    // Every saved object has its data chunk, if empty: without one the object would stay as
    // its class made it, and might save what no load accepts.
    if (!loaded) return Fail(why, what + L" has no data");
    return true;
  }

  bool InstallReferences(std::wstring& why) {
    size_t count = holder->refs.size();
    for (size_t i = 0; i < count; ++i) {
      for (size_t j = 0; j < refLists[i].size(); ++j) {
        int32_t k = refLists[i][j];
        if (k != kNoRef && (k < 0 || size_t(k) >= count))
          return Fail(why, names[i] + L": reference " + Num(j) + L" names object " +
                               std::to_wstring(k) + L" of " + Num(count));
      }
    }
    if (!OrderObjects(why)) return false;
    // Makers before their targets: a target's own references are not installed yet when it
    // is checked for a loop, so the check stays short.
    for (size_t i : order) {
      ReferenceTarget* maker = holder->refs[i];
      bool isNode = hostscene::AsFreeNode(maker) != nullptr;
      for (size_t j = 0; j < refLists[i].size(); ++j) {
        int32_t k = refLists[i][j];
        if (k == kNoRef) continue;
        std::wstring which = names[i] + L": reference " + Num(j) + L" to object " + Num(size_t(k));
        ReferenceTarget* target = holder->refs[size_t(k)];
        if (!maker || !target) return Fail(why, which + L" lost an object while loading");
        if (isNode && !dynamic_cast<Object*>(target))
          return Fail(why, which + L" is not a geometric object");
        if (maker->ReplaceReference(int(j), target) != REF_SUCCEED)
          return Fail(why, which + L" was refused: the object has " +
                               Num(size_t(maker->NumRefs())) + L" references");
      }
    }
    return true;
  }

  // Orders the objects makers first by a depth-first walk of the file's references, which
  // also finds loops and measures how deep references nest. Deleting a chain of objects
  // recurses once per link, so a file may not nest them deeper than kMaxReferenceDepth.
  bool OrderObjects(std::wstring& why) {
    size_t count = holder->refs.size();
    enum : uint8_t { kNew, kOpen, kDone };
    std::vector<uint8_t> state(count, kNew);
    std::vector<size_t> depth(count, 1), finished;
    std::vector<std::pair<size_t, size_t>> stack;  // object, next reference
    for (size_t root = 0; root < count; ++root) {
      if (state[root] != kNew) continue;
      state[root] = kOpen;
      stack.emplace_back(root, 0);
      while (!stack.empty()) {
        auto [i, j] = stack.back();
        size_t t = i;
        if (j == refLists[i].size()) {
          state[i] = kDone;
          finished.push_back(i);
          stack.pop_back();
          if (stack.empty()) continue;
          i = stack.back().first;  // the maker that led here
        } else {
          stack.back().second++;
          int32_t k = refLists[i][j];
          if (k == kNoRef) continue;
          t = size_t(k);
          if (state[t] == kOpen)
            return Fail(why, names[i] + L": reference " + Num(j) + L" to object " + Num(t) +
                                 L" closes a loop");
          if (state[t] == kNew) {
            state[t] = kOpen;
            stack.emplace_back(t, 0);
            continue;
          }
        }
        depth[i] = std::max(depth[i], depth[t] + 1);
        if (depth[i] > kMaxReferenceDepth)
          return Fail(why, names[i] + L": references nest more than " + Num(kMaxReferenceDepth) +
                               L" levels deep");
      }
    }
    order.assign(finished.rbegin(), finished.rend());
    return true;
  }

  bool PickNodes(std::wstring& why) {
    std::set<uint32_t> listed;
    std::set<ULONG> handles;
    for (uint32_t k : nodeIndex) {
      std::wstring entry = L"the node list names object " + Num(k);
      if (k >= holder->refs.size()) return Fail(why, entry + L" of " + Num(holder->refs.size()));
      INode* node = hostscene::AsFreeNode(holder->refs[k]);
      if (!node) return Fail(why, entry + L", which is not a node");
      if (!listed.insert(k).second) return Fail(why, entry + L" twice");
      ULONG handle = node->GetHandle();
      if (handle == kNullHandle || handle == 0xFFFFFFFF)
        return Fail(why, entry + L", whose handle " + Num(handle) + L" is not valid");
      if (!handles.insert(handle).second)
        return Fail(why, entry + L", whose handle " + Num(handle) + L" another node has");
      nodes.push_back(node);
    }
    return true;
  }

  ChunkReader& reader;
  LoadHolder* holder;
  std::vector<std::vector<int32_t>> refLists;  // per object, as the file gives them
  std::vector<std::wstring> names;             // per object, for messages
  std::vector<uint32_t> nodeIndex;
  std::vector<size_t> order;  // makers before their targets, once the references are checked
};

IOResult LoadBytes(const uint8_t* data, size_t size, MSTR* error, const MCHAR* name) {
  std::wstring why;
  size_t body = 0;
  if (!CheckChunkFile(data, size, body, why)) return Report(error, name, why);
  ChunkReader reader(data, size, body);
  SceneLoader loader(reader);
  bool ok = false;
  std::wstring thrown;
  // Building the loaded objects is no edit to undo.
  struct Suspension {
    Suspension() { theHold.Suspend(); }
    ~Suspension() { theHold.Resume(); }
  } suspended;
  if (!Guarded([&] { ok = loader.Load(why); }, thrown)) why = L"loading failed: " + thrown;
  // The scene changes only when everything loaded; callbacks then see the new scene. The old
  // scene's steps go with it.
  if (ok) {
    HostClearUndo();
    hostscene::ReplaceNodes(loader.nodes);
  }
  loader.RunCallbacks();
  return ok ? Succeed(error) : Report(error, name, why);
}

// ---- Files ----

FILE* OpenFile(const MCHAR* path, bool write) {
#if defined(_WIN32)
  return _wfopen(path, write ? L"wb" : L"rb");
#else
  return std::fopen(chunkfile::EncodeUtf8(path).c_str(), write ? "wb" : "rb");
#endif
}

std::wstring SystemError(int code) {
  const char* text = std::strerror(code);
  return chunkfile::DecodeUtf8(text, std::strlen(text));
}

}  // namespace

IOResult SaveSceneToMemory(void** data, size_t* size, MSTR* error) {
  const MCHAR* name = L"scene in memory";
  if (!data || !size) return Report(error, name, L"nowhere to put the scene");
  *data = nullptr;
  *size = 0;
  ChunkWriter w;
  std::wstring why;
  if (!WriteScene(w, why)) return Report(error, name, L"cannot save: " + why);
  const std::vector<uint8_t>& bytes = w.Bytes();
  void* copy = MAX_malloc(bytes.size());
  if (!copy) return Report(error, name, L"out of memory");
  std::memcpy(copy, bytes.data(), bytes.size());
  *data = copy;
  *size = bytes.size();
  return Succeed(error);
}

IOResult LoadSceneFromMemory(const void* data, size_t size, MSTR* error, const MCHAR* name) {
  if (!name) name = L"scene in memory";
  if (!data && size) return Report(error, name, L"no data");
  static const uint8_t none = 0;
  return LoadBytes(data ? static_cast<const uint8_t*>(data) : &none, size, error, name);
}

IOResult SaveScene(const MCHAR* path, MSTR* error) {
  if (!path || !*path) return Report(error, L"(no file name)", L"cannot save without a file name");
  ChunkWriter w;
  std::wstring why;
  if (!WriteScene(w, why)) return Report(error, path, L"cannot save: " + why);
  FILE* file = OpenFile(path, true);
  if (!file) return Report(error, path, L"cannot open the file for writing: " + SystemError(errno));
  const std::vector<uint8_t>& bytes = w.Bytes();
  size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file);
  int code = errno;
  bool closed = std::fclose(file) == 0;
  if (written != bytes.size() || !closed)
    return Report(error, path, L"cannot write the file: " + SystemError(code));
  return Succeed(error);
}

IOResult LoadScene(const MCHAR* path, MSTR* error) {
  if (!path || !*path) return Report(error, L"(no file name)", L"cannot load without a file name");
  FILE* file = OpenFile(path, false);
  if (!file) return Report(error, path, L"cannot open the file: " + SystemError(errno));
  // Read as it comes rather than trusting a size asked for beforehand.
  std::vector<uint8_t> bytes, block(size_t(1) << 16);
  for (size_t n; (n = std::fread(block.data(), 1, block.size(), file)) > 0;)
    bytes.insert(bytes.end(), block.begin(), block.begin() + std::ptrdiff_t(n));
  bool failed = std::ferror(file) != 0;
  int code = errno;
  std::fclose(file);
  if (failed) return Report(error, path, L"cannot read the file: " + SystemError(code));
  return LoadBytes(bytes.data(), bytes.size(), error, path);
}

void ResetScene() {
  // The steps name objects of the scene that goes.
  HostClearUndo();
  hostscene::ReplaceNodes({});
}
