// The scene: nodes by handle, each holding its object as reference 0, so instances share an
// object and the object goes with the last node that holds it.
#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "chunk_io.h"
#include "maxapi.h"
#include "scene_internal.h"

namespace {

// Chunks of a node's data: part of the file format.
constexpr USHORT kNodeHandleChunk = 0x0100;  // u32
constexpr USHORT kNodeNameChunk = 0x0110;    // UTF-16 text
constexpr USHORT kNodeTMChunk = 0x0120;      // 12 floats, rows 0..3

// A function, not a constant: the class directory asks for it while the host's statics are
// still being made.
Class_ID NodeClassID() {
  return Class_ID(BASENODE_CLASS_ID, 0);
}

class SceneNode : public INode {
 public:
  explicit SceneNode(ULONG handle = kNullHandle) : handle(handle) {}
  ULONG GetHandle() override { return handle; }
  const MCHAR* GetName() override { return name.c_str(); }
  void SetName(const MCHAR* s) override { name = s ? s : L""; }
  const ObjectState& EvalWorldState(TimeValue time, BOOL) override {
    state = object ? object->Eval(time) : ObjectState();
    return state;
  }
  Object* GetObjectRef() override { return object; }
  Matrix3 GetNodeTM(TimeValue, Interval* valid) override {
    if (valid) *valid = FOREVER;
    return tm;
  }
  void SetNodeTM(TimeValue, const Matrix3& m) override { tm = m; }
  Matrix3 GetObjectTM(TimeValue t, Interval* valid) override { return GetNodeTM(t, valid); }

  Class_ID ClassID() override { return NodeClassID(); }
  void GetClassName(MSTR& s, bool = true) const override { s = L"Node"; }
  int NumRefs() override { return 1; }
  RefTargetHandle GetReference(int i) override { return i == 0 ? ref : nullptr; }
  // The user deletes the scene's nodes, not the reference system; a node a load made and
  // left out of the scene goes like any other target.
  RefResult AutoDelete() override { return inScene ? REF_FAIL : ReferenceTarget::AutoDelete(); }

  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;

  ULONG handle;
  bool inScene = false;

 protected:
  ~SceneNode() override = default;
  void SetReference(int i, RefTargetHandle t) override {
    if (i != 0) return;
    ref = t;
    // A file can put anything here: only an object is evaluated.
    object = dynamic_cast<Object*>(t);
  }
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage, BOOL) override {
    return REF_SUCCEED;
  }

 private:
  ReferenceTarget* ref = nullptr;
  Object* object = nullptr;
  ObjectState state;
  std::wstring name;
  Matrix3 tm;
};

IOResult SceneNode::Save(ISave* isave) {
  chunkfile::ByteWriter id, matrix;
  id.U32(handle);
  for (int r = 0; r < 4; ++r) {
    Point3 row = tm.GetRow(r);
    matrix.F32(row.x);
    matrix.F32(row.y);
    matrix.F32(row.z);
  }
  if (WriteDataChunk(isave, kNodeHandleChunk, id.bytes) != IO_OK) return IO_ERROR;
  isave->BeginChunk(kNodeNameChunk);
  IOResult r = isave->WriteWString(name.c_str());
  isave->EndChunk();
  if (r != IO_OK) return r;
  return WriteDataChunk(isave, kNodeTMChunk, matrix.bytes);
}

IOResult SceneNode::Load(ILoad* iload) {
  while (iload->OpenChunk() == IO_OK) {
    USHORT id = iload->CurChunkID();
    if (id == kNodeNameChunk) {
      wchar_t* text = nullptr;
      if (iload->ReadWStringChunk(&text) == IO_OK) name = text;
    } else if (id == kNodeHandleChunk || id == kNodeTMChunk) {
      std::vector<uint8_t> bytes = ReadDataChunk(iload);
      chunkfile::ByteReader in(bytes.data(), bytes.size());
      size_t want = id == kNodeHandleChunk ? 4 : 48;
      if (bytes.size() != want) {
        ReportLoadFault(iload, L"node chunk " + HexId(id) + L" has " +
                                   std::to_wstring(bytes.size()) + L" bytes, not " +
                                   std::to_wstring(want));
        return IO_ERROR;
      }
      if (id == kNodeHandleChunk) {
        in.U32(handle);
      } else {
        for (int r = 0; r < 4; ++r) {
          float x = 0, y = 0, z = 0;
          in.F32(x);
          in.F32(y);
          in.F32(z);
          tm.SetRow(r, Point3(x, y, z));
        }
      }
    }
    iload->CloseChunk();
  }
  return IO_OK;
}

class NodeDesc : public ClassDesc {
 public:
  int IsPublic() override { return 0; }
  void* Create(BOOL) override { return static_cast<ReferenceTarget*>(new SceneNode); }
  const MCHAR* ClassName() override { return L"Node"; }
  const MCHAR* NonLocalizedClassName() override { return L"Node"; }
  SClass_ID SuperClassID() override { return BASENODE_CLASS_ID; }
  Class_ID ClassID() override { return NodeClassID(); }
  const MCHAR* Category() override { return L""; }
};

class Scene : public Interface {
 public:
  INode* GetINodeByHandle(ULONG handle) override {
    std::lock_guard<std::mutex> hold(lock);
    auto it = nodes.find(handle);
    return it == nodes.end() ? nullptr : it->second;
  }
  INode* GetINodeByName(const MCHAR* name) override {
    std::lock_guard<std::mutex> hold(lock);
    for (auto& [handle, node] : nodes)
      if (name && std::wstring(node->GetName()) == name) return node;
    return nullptr;
  }
  TimeValue GetTime() override { return time; }
  void SetTime(TimeValue t, BOOL) override { time = t; }
  INode* CreateObjectNode(Object* obj) override {
    SceneNode* node;
    {
      std::lock_guard<std::mutex> hold(lock);
      node = new SceneNode(nextHandle++);
      node->inScene = true;
      nodes.emplace(node->handle, node);
    }
    if (obj) node->ReplaceReference(0, obj);
    return node;
  }
  void DeleteNode(INode* node, BOOL, BOOL) override {
    if (!node) return;
    {
      std::lock_guard<std::mutex> hold(lock);
      auto it = nodes.find(node->GetHandle());
      if (it == nodes.end() || it->second != node) return;
      nodes.erase(it);
    }
    Release(static_cast<SceneNode*>(node));
  }

  std::vector<INode*> Nodes() {
    std::lock_guard<std::mutex> hold(lock);
    std::vector<INode*> out;
    for (auto& [handle, node] : nodes) out.push_back(node);
    return out;
  }
  void ReplaceNodes(const std::vector<INode*>& fresh) {
    std::map<ULONG, SceneNode*> old;
    {
      std::lock_guard<std::mutex> hold(lock);
      old.swap(nodes);
      for (INode* n : fresh) {
        auto* node = static_cast<SceneNode*>(n);
        node->inScene = true;
        nodes.emplace(node->handle, node);
        // Handles only grow, so a handle never names two nodes in one session.
        nextHandle = std::max(nextHandle, node->handle + 1);
      }
    }
    for (auto& [handle, node] : old) Release(node);
  }

  ~Scene() override {
    while (!nodes.empty()) DeleteNode(nodes.begin()->second, FALSE, FALSE);
  }

 private:
  // Out of the scene, the node lets go of its object and goes.
  static void Release(SceneNode* node) {
    node->inScene = false;
    node->DeleteMe();
  }
  std::mutex lock;
  std::map<ULONG, SceneNode*> nodes;
  ULONG nextHandle = 1;
  TimeValue time = 0;
};

Scene& TheScene() {
  static Scene scene;
  return scene;
}

}  // namespace

Interface* GetCOREInterface() {
  return &TheScene();
}

namespace hostscene {

std::vector<INode*> Nodes() {
  return TheScene().Nodes();
}

ClassDesc* NodeClassDesc() {
  // Never destroyed: the class directory keeps it until the process ends.
  static auto* desc = new NodeDesc;
  return desc;
}

INode* AsFreeNode(ReferenceTarget* t) {
  auto* node = dynamic_cast<SceneNode*>(t);
  return node && !node->inScene ? node : nullptr;
}

void ReplaceNodes(const std::vector<INode*>& nodes) {
  TheScene().ReplaceNodes(nodes);
}

}  // namespace hostscene
