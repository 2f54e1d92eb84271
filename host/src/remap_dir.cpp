#include <map>

#include "ref.h"

RefTargetHandle ReferenceTarget::Clone(RemapDir&) {
  return nullptr;
}

void ReferenceTarget::BaseClone(ReferenceTarget*, ReferenceTarget*, RemapDir&) {}

RefTargetHandle RemapDir::CloneRef(RefTargetHandle oldTarg) {
  if (!oldTarg) return nullptr;
  if (RefTargetHandle mapped = FindMapping(oldTarg)) return mapped;
  RefTargetHandle clone = oldTarg->Clone(*this);
  if (clone) AddEntry(oldTarg, clone);
  return clone;
}

namespace {
class SimpleRemapDir : public RemapDir {
 public:
  RefTargetHandle FindMapping(RefTargetHandle from) override {
    auto it = mapping.find(from);
    return it == mapping.end() ? nullptr : it->second;
  }
  void AddEntry(RefTargetHandle hfrom, RefTargetHandle hto) override { mapping[hfrom] = hto; }
  void Clear() override { mapping.clear(); }
  void DeleteThis() override { delete this; }

 private:
  std::map<RefTargetHandle, RefTargetHandle> mapping;
};
}  // namespace

RemapDir* NewRemapDir(BOOL) {
  return new SimpleRemapDir;
}
