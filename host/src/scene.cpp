#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>
#include "maxapi.h"

namespace {

class SceneNode : public INode {
 public:
  SceneNode(ULONG handle, Object* obj) : handle(handle), object(obj), state(obj) {}
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

  ~SceneNode() override = default;

 protected:
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage, BOOL) override {
    return REF_SUCCEED;
  }

 private:
  ULONG handle;
  Object* object;
  ObjectState state;
  std::wstring name;
  Matrix3 tm;
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
    std::lock_guard<std::mutex> hold(lock);
    ULONG handle = nextHandle++;
    SceneNode* node = new SceneNode(handle, obj);
    nodes.emplace(handle, node);
    return node;
  }
  void DeleteNode(INode* node, BOOL, BOOL) override {
    if (!node) return;
    Object* obj = nullptr;
    {
      std::lock_guard<std::mutex> hold(lock);
      auto it = nodes.find(node->GetHandle());
      if (it == nodes.end() || it->second != node) return;
      obj = node->GetObjectRef();
      nodes.erase(it);
      for (auto& [handle, other] : nodes)
        if (other->GetObjectRef() == obj) obj = nullptr;  // still instanced elsewhere
    }
    node->DeleteThis();
    if (obj) obj->DeleteThis();
  }
  ~Scene() override {
    while (!nodes.empty()) DeleteNode(nodes.begin()->second, FALSE, FALSE);
  }

 private:
  std::mutex lock;
  std::map<ULONG, INode*> nodes;
  ULONG nextHandle = 1;
  TimeValue time = 0;
};

}  // namespace

Interface* GetCOREInterface() {
  static Scene scene;
  return &scene;
}
