// The host's parameter block: values by parameter and table index, built from a description.
// Reference parameters either live in the owner (P_OWNERS_REF: the block only keeps a table's
// count) or are references of the block itself, numbered across its reference parameters in
// declaration order, a table's entries one after another.
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "hold.h"
#include "imtl.h"
#include "inode.h"
#include "ioapi.h"
#include "iparamb2.h"
#include "param_types.h"
#include "pb2_registry.h"
#include "plugin_loader.h"
#include "reference_restore.h"

namespace {

// Chunks of a saved block. Part of the scene-file format: never renumber.
constexpr USHORT kBlockIdentityChunk = 0x0200;
constexpr USHORT kBlockValuesChunk = 0x0201;

// A block made by a scene load starts on this empty description and binds to its real one
// when its identity chunk names it.
ParamBlockDesc2& UnboundDescription() {
  static ParamBlockDesc2 desc(0, L"", 0, nullptr, 0, p_end);
  return desc;
}

bool OwnersRef(const ParamDef& def) {
  return (def.flags & P_OWNERS_REF) != 0;
}
bool BlockRef(const ParamDef& def) {
  return pb2::IsRef(def.type) && !OwnersRef(def);
}

PB2Value DefaultOf(const ParamDef& def) {
  PB2Value v;
  if (pb2::IsFloat(def.type))
    v.f = def.has_default ? def.def.f : 0.0f;
  else if (pb2::IsInt(def.type))
    v.i = def.has_default ? def.def.i : 0;
  return v;
}

// Whether a target is of the kind a reference type names (TYPE_REFTARG: any).
bool Fits(int base, ReferenceTarget* r) {
  if (!r) return true;
  switch (base) {
    case TYPE_TEXMAP:
      return r->SuperClassID() == TEXMAP_CLASS_ID;
    case TYPE_MTL:
      return r->SuperClassID() == MATERIAL_CLASS_ID;
    case TYPE_INODE:
      return r->SuperClassID() == BASENODE_CLASS_ID;
    default:
      return true;
  }
}

class HostParamBlock2 final : public IParamBlock2 {
 public:
  HostParamBlock2(ParamBlockDesc2* d, ReferenceMaker* o) : desc(d), owner(o) {
    for (int i = 0; i < desc->Count(); ++i) {
      const ParamDef& def = desc->paramdefs[i];
      size_t n = pb2::IsTab(def.type) ? size_t(def.tab_size) : 1;
      values.emplace_back(n, DefaultOf(def));
    }
  }

  // Identity.
  Class_ID ClassID() override { return Class_ID(PARAMETER_BLOCK2_CLASS_ID, 0); }
  SClass_ID SuperClassID() override { return PARAMETER_BLOCK2_CLASS_ID; }
  DWORD GetVersion() override { return desc->version; }
  int NumParams() override { return desc->Count(); }
  const MCHAR* GetLocalName() override {
    const MCHAR* s =
        desc->cd && desc->local_name ? desc->cd->GetRsrcString(desc->local_name) : nullptr;
    return s ? s : desc->int_name;
  }
  ParamBlockDesc2* GetDesc() override { return desc; }
  ParamDef& GetParamDef(ParamID id) override { return desc->GetParamDef(id); }
  BlockID ID() override { return desc->ID; }
  int IDtoIndex(ParamID id) override { return desc->IDtoIndex(id); }
  ParamID IndextoID(int i) override { return desc->IndextoID(i); }
  ReferenceMaker* GetOwner() override { return Owner(); }

  // A copy for a cloned owner: values copied, maps the block holds itself cloned through
  // remap, the owner's own references left to the owner (only the table counts come along).
  // The copy has no owner until a maker takes it as a reference.
  RefTargetHandle Clone(RemapDir& remap) override {
    auto* copy = new HostParamBlock2(desc, nullptr);
    for (size_t p = 0; p < values.size(); ++p) {
      const ParamDef& def = desc->paramdefs[p];
      if (!pb2::IsRef(def.type)) {
        copy->values[p] = values[p];
        continue;
      }
      copy->values[p].assign(values[p].size(), PB2Value());
      if (OwnersRef(def)) continue;
      for (size_t k = 0; k < values[p].size(); ++k)
        copy->ReplaceReference(copy->RefNumber(int(p), int(k)), remap.CloneRef(values[p][k].r));
    }
    BaseClone(this, copy, remap);
    return copy;
  }
  // An unknown ID reads as TYPE_FLOAT: check IDtoIndex first.
  ParamType2 GetParameterType(ParamID id) override { return desc->GetParamDef(id).type; }
  MSTR GetLocalName(ParamID id, int) override {
    int p = IDtoIndex(id);
    if (p < 0) return MSTR();
    const ParamDef& def = desc->paramdefs[p];
    const MCHAR* s = desc->cd && def.local_name ? desc->cd->GetRsrcString(def.local_name) : nullptr;
    return MSTR(s ? s : def.int_name);
  }

  // Values.
  BOOL SetValue(ParamID id, TimeValue, float v, int tabIndex) override {
    int p = Find(id, tabIndex, pb2::IsFloat);
    if (p < 0) return FALSE;
    const ParamDef& def = desc->paramdefs[p];
    if (def.has_range) v = std::clamp(v, def.range_low.f, def.range_high.f);
    PB2Value next = Slot(p, tabIndex);
    next.f = v;
    HoldValue(id, tabIndex, Slot(p, tabIndex), next);
    Slot(p, tabIndex) = next;
    return Changed(id, tabIndex);
  }
  BOOL SetValue(ParamID id, TimeValue, int v, int tabIndex) override {
    int p = Find(id, tabIndex, pb2::IsInt);
    if (p < 0) return FALSE;
    const ParamDef& def = desc->paramdefs[p];
    if (def.has_range) v = std::clamp(v, def.range_low.i, def.range_high.i);
    PB2Value next = Slot(p, tabIndex);
    next.i = v;
    HoldValue(id, tabIndex, Slot(p, tabIndex), next);
    Slot(p, tabIndex) = next;
    return Changed(id, tabIndex);
  }
  // What a value restore writes back: the slot as it was, with the block's notifications.
  void PutHeldValue(ParamID id, int tabIndex, const PB2Value& v) {
    int p = IDtoIndex(id);
    if (p < 0 || (pb2::IsTab(desc->paramdefs[p].type) &&
                  (tabIndex < 0 || tabIndex >= int(values[size_t(p)].size()))))
      return;
    Slot(p, tabIndex) = v;
    Changed(id, tabIndex);
  }
  void HoldValue(ParamID id, int tabIndex, const PB2Value& before, const PB2Value& after);
  // Records a table's change of count (or of its values) made just now, from before.
  void HoldTable(int p, const std::vector<PB2Value>& before);
  void HoldChangeNotice(ParamID id, int tabIndex, bool onUndo);
  // What a table restore writes back. A table of references only changes its count: the
  // references themselves come back through their own restores, held around this one.
  void PutHeldTable(ParamID id, const std::vector<PB2Value>& table) {
    int p = TabIndex(id);
    if (p < 0) return;
    auto& v = values[size_t(p)];
    if (pb2::IsRef(desc->paramdefs[p].type))
      v.resize(table.size(), PB2Value());
    else
      v = table;
    Changed(id, 0);
  }
  BOOL NotifyHeldChange(ParamID id, int tabIndex) { return Changed(id, tabIndex); }
  BOOL SetValue(ParamID id, TimeValue, Texmap* v, int tabIndex) override {
    return SetRef(id, tabIndex, v, TYPE_TEXMAP);
  }
  BOOL SetValue(ParamID id, TimeValue, INode* v, int tabIndex) override {
    return SetRef(id, tabIndex, v, TYPE_INODE);
  }
  BOOL SetValue(ParamID id, TimeValue, ReferenceTarget* v, int tabIndex) override {
    return SetRef(id, tabIndex, v, -1);
  }

  BOOL GetValue(ParamID id, TimeValue, float& v, Interval& ivalid, int tabIndex) override {
    int p = Find(id, tabIndex, pb2::IsFloat);
    if (p < 0) return FALSE;
    v = Slot(p, tabIndex).f;
    ivalid &= FOREVER;  // constant values
    return TRUE;
  }
  BOOL GetValue(ParamID id, TimeValue, int& v, Interval& ivalid, int tabIndex) override {
    int p = Find(id, tabIndex, pb2::IsInt);
    if (p < 0) return FALSE;
    v = Slot(p, tabIndex).i;
    ivalid &= FOREVER;
    return TRUE;
  }
  BOOL GetValue(ParamID id, TimeValue, Texmap*& v, Interval&, int tabIndex) override {
    ReferenceTarget* r = nullptr;
    if (!GetRef(id, tabIndex, r, TYPE_TEXMAP)) return FALSE;
    v = static_cast<Texmap*>(r);
    return TRUE;
  }
  BOOL GetValue(ParamID id, TimeValue, INode*& v, Interval&, int tabIndex) override {
    ReferenceTarget* r = nullptr;
    if (!GetRef(id, tabIndex, r, TYPE_INODE)) return FALSE;
    v = static_cast<INode*>(r);
    return TRUE;
  }
  BOOL GetValue(ParamID id, TimeValue, ReferenceTarget*& v, Interval&, int tabIndex) override {
    return GetRef(id, tabIndex, v, -1);
  }

  float GetFloat(ParamID id, TimeValue t, int tabIndex) override {
    float v = 0.0f;
    Interval valid = FOREVER;
    return GetValue(id, t, v, valid, tabIndex) ? v : 0.0f;
  }
  int GetInt(ParamID id, TimeValue t, int tabIndex) override {
    int v = 0;
    Interval valid = FOREVER;
    return GetValue(id, t, v, valid, tabIndex) ? v : 0;
  }
  Texmap* GetTexmap(ParamID id, TimeValue t, int tabIndex) override {
    Texmap* v = nullptr;
    Interval valid = FOREVER;
    return GetValue(id, t, v, valid, tabIndex) ? v : nullptr;
  }
  INode* GetINode(ParamID id, TimeValue t, int tabIndex) override {
    INode* v = nullptr;
    Interval valid = FOREVER;
    return GetValue(id, t, v, valid, tabIndex) ? v : nullptr;
  }
  ReferenceTarget* GetReferenceTarget(ParamID id, TimeValue t, int tabIndex) override {
    ReferenceTarget* v = nullptr;
    Interval valid = FOREVER;
    return GetValue(id, t, v, valid, tabIndex) ? v : nullptr;
  }

  // Tables.
  int Count(ParamID id) override {
    int p = TabIndex(id);
    return p < 0 ? 0 : int(values[size_t(p)].size());
  }
  void ZeroCount(ParamID id) override { SetCount(id, 0); }
  void SetCount(ParamID id, int n) override {
    int p = TabIndex(id);
    if (p < 0 || n < 0) return;
    int now = int(values[size_t(p)].size());
    if (n == now) return;
    // The owner numbers its own references: restoring a count must never delete its maps.
    if (n < now && !OwnersRef(desc->paramdefs[p])) {
      Remove(p, n, now - n);
    } else {
      std::vector<PB2Value> before = values[size_t(p)];
      values[size_t(p)].resize(size_t(n), DefaultOf(desc->paramdefs[p]));
      HoldTable(p, before);
    }
    Changed(id, 0);
  }
  int Delete(ParamID id, int start, int num) override {
    int p = TabIndex(id);
    if (p < 0) return 0;
    int now = int(values[size_t(p)].size());
    if (start >= 0 && start < now && num > 0) {
      Remove(p, start, std::min(num, now - start));
      Changed(id, start);
    }
    return int(values[size_t(p)].size());
  }
  int Resize(ParamID id, int num) override {
    int p = TabIndex(id);
    if (p < 0 || num < 0) return 0;
    values[size_t(p)].reserve(size_t(num));
    return 1;
  }
  void Shrink(ParamID id) override {
    int p = TabIndex(id);
    if (p >= 0) values[size_t(p)].shrink_to_fit();
  }
  int Append(ParamID id, int num, float* el, int) override {
    return Insert(id, Count(id), num, el);
  }
  int Append(ParamID id, int num, int* el, int) override { return Insert(id, Count(id), num, el); }
  int Append(ParamID id, int num, Texmap** el, int) override {
    return Insert(id, Count(id), num, el);
  }
  int Append(ParamID id, int num, INode** el, int) override {
    return Insert(id, Count(id), num, el);
  }
  int Append(ParamID id, int num, ReferenceTarget** el, int) override {
    return Insert(id, Count(id), num, el);
  }
  int Insert(ParamID id, int at, int num, float* el) override {
    return InsertValues(id, at, num, el, pb2::IsFloat, [](PB2Value& s, float v) { s.f = v; });
  }
  int Insert(ParamID id, int at, int num, int* el) override {
    return InsertValues(id, at, num, el, pb2::IsInt, [](PB2Value& s, int v) { s.i = v; });
  }
  int Insert(ParamID id, int at, int num, Texmap** el) override {
    return InsertRefs(id, at, num, el, TYPE_TEXMAP);
  }
  int Insert(ParamID id, int at, int num, INode** el) override {
    return InsertRefs(id, at, num, el, TYPE_INODE);
  }
  int Insert(ParamID id, int at, int num, ReferenceTarget** el) override {
    return InsertRefs(id, at, num, el, -1);
  }

  // Notification and maps.
  ParamID LastNotifyParamID() override { return lastId; }
  ParamID LastNotifyParamID(int& tabIndex) override {
    tabIndex = lastTab;
    return lastId;
  }
  void EnableNotifications(BOOL onOff) override { notify = onOff != FALSE; }
  void SetMap(IParamMap2* m, MapID map_id) override {
    for (auto& entry : maps)
      if (entry.first == map_id) {
        entry.second = m;
        return;
      }
    maps.emplace_back(map_id, m);
  }
  IParamMap2* GetMap(MapID map_id) override {
    for (auto& entry : maps)
      if (entry.first == map_id) return entry.second;
    return nullptr;
  }
  void ResetAll(BOOL, BOOL) override {
    for (int p = 0; p < desc->Count(); ++p) ResetValues(p, -1);
    Changed(-1, 0);
  }
  void Reset(ParamID id, int tabIndex, BOOL, BOOL) override {
    int p = IDtoIndex(id);
    if (p < 0 || !ResetValues(p, tabIndex)) return;
    Changed(id, tabIndex < 0 ? 0 : tabIndex);
  }
  void GetValidity(TimeValue, Interval& valid) override { valid &= FOREVER; }

  // In a scene file: which description the block was built from (its class and block ID),
  // then per parameter its ID, type, count and, for value types, the values. References
  // the block holds are saved by the host as its references.
  IOResult Save(ISave* isave) override {
    ULONG written = 0;
    ULONG identity[4] = {desc->cd ? desc->cd->SuperClassID() : 0,
                         desc->cd ? desc->cd->ClassID().PartA() : 0,
                         desc->cd ? desc->cd->ClassID().PartB() : 0, ULONG(desc->ID)};
    isave->BeginChunk(kBlockIdentityChunk);
    isave->Write(identity, sizeof(identity), &written);
    isave->EndChunk();
    isave->BeginChunk(kBlockValuesChunk);
    for (int p = 0; p < desc->Count(); ++p) {
      const ParamDef& def = desc->paramdefs[p];
      int32_t header[3] = {def.ID, int32_t(def.type), int32_t(values[size_t(p)].size())};
      isave->Write(header, sizeof(header), &written);
      if (pb2::IsRef(def.type)) continue;
      for (const PB2Value& v : values[size_t(p)]) isave->Write(&v.i, 4, &written);
    }
    isave->EndChunk();
    return IO_OK;
  }

  IOResult Load(ILoad* iload) override {
    while (iload->OpenChunk() == IO_OK) {
      IOResult res = IO_OK;
      if (iload->CurChunkID() == kBlockIdentityChunk)
        res = LoadIdentity(iload);
      else if (iload->CurChunkID() == kBlockValuesChunk)
        res = LoadValues(iload);
      if (res != IO_OK || iload->CloseChunk() != IO_OK) return IO_ERROR;
    }
    return desc == &UnboundDescription() ? IO_ERROR : IO_OK;
  }

  // The block's own references.
  int NumRefs() override {
    int n = 0;
    for (int p = 0; p < desc->Count(); ++p)
      if (BlockRef(desc->paramdefs[p])) n += int(values[size_t(p)].size());
    return n;
  }
  RefTargetHandle GetReference(int i) override {
    PB2Value* s = RefSlot(i);
    return s ? s->r : nullptr;
  }

 protected:
  void SetReference(int i, RefTargetHandle r) override {
    if (PB2Value* s = RefSlot(i)) s->r = r;
  }
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle hTarget, PartID&, RefMessage msg,
                             BOOL) override {
    // A held map that changes is a change of its parameter, for the owner to ask about.
    if (msg == REFMSG_CHANGE)
      for (int p = 0; p < desc->Count(); ++p)
        if (BlockRef(desc->paramdefs[p]))
          for (size_t k = 0; k < values[size_t(p)].size(); ++k)
            if (values[size_t(p)][k].r == hTarget) {
              lastId = desc->paramdefs[p].ID;
              lastTab = int(k);
            }
    return REF_SUCCEED;
  }

 private:
  ~HostParamBlock2() override {
    for (auto& entry : maps)
      if (entry.second) pb2::ParamBlockGone(entry.second);
  }

  // The owner, while it still holds this block; once it has let go (or is gone) the block has
  // none and reads of the owner's references fail.
  ReferenceMaker* Owner() {
    if (!owner && !ownerHeld) {
      // A clone, or a block made by a scene load: the first maker to hold it owns it.
      DependentIterator it(this);
      owner = it.Next();
      if (owner) ownerHeld = true;
      return owner;
    }
    if (!owner) return nullptr;
    DependentIterator it(this);
    bool holds = false;
    for (ReferenceMaker* m = it.Next(); m && !holds; m = it.Next()) holds = m == owner;
    if (holds)
      ownerHeld = true;
    else if (ownerHeld)
      owner = nullptr;
    return owner;
  }

  // Index of parameter id when it has a kind of type `kind` accepts and tabIndex is inside a
  // table; -1 otherwise.
  int Find(ParamID id, int tabIndex, bool (*kind)(int)) {
    int p = IDtoIndex(id);
    if (p < 0 || !kind(desc->paramdefs[p].type)) return -1;
    if (pb2::IsTab(desc->paramdefs[p].type) &&
        (tabIndex < 0 || tabIndex >= int(values[size_t(p)].size())))
      return -1;
    return p;
  }
  PB2Value& Slot(int p, int tabIndex) {
    return values[size_t(p)][pb2::IsTab(desc->paramdefs[p].type) ? size_t(tabIndex) : 0];
  }
  int TabIndex(ParamID id) {
    int p = IDtoIndex(id);
    return p >= 0 && pb2::IsTab(desc->paramdefs[p].type) ? p : -1;
  }
  int Entry(int p, int tabIndex) { return pb2::IsTab(desc->paramdefs[p].type) ? tabIndex : 0; }

  // A reference parameter id that can hold targets of kind base (-1: any): one of that type,
  // or a TYPE_REFTARG.
  int FindRefParam(ParamID id, int tabIndex, int base) {
    int p = Find(id, tabIndex, pb2::IsRef);
    if (p < 0 || base < 0) return p;
    int type = pb2::Base(desc->paramdefs[p].type);
    return type == base || type == TYPE_REFTARG ? p : -1;
  }
  // Reference number of entry k of a block-held reference parameter.
  int RefNumber(int p, int k) {
    int n = 0;
    for (int q = 0; q < p; ++q)
      if (BlockRef(desc->paramdefs[q])) n += int(values[size_t(q)].size());
    return n + k;
  }
  PB2Value* RefSlot(int i) {
    if (i < 0) return nullptr;
    for (int p = 0; p < desc->Count(); ++p) {
      if (!BlockRef(desc->paramdefs[p])) continue;
      int n = int(values[size_t(p)].size());
      if (i < n) return &values[size_t(p)][size_t(i)];
      i -= n;
    }
    return nullptr;
  }
  ReferenceTarget* ReadRef(int p, int k) {
    const ParamDef& def = desc->paramdefs[p];
    if (!OwnersRef(def)) return values[size_t(p)][size_t(k)].r;
    ReferenceMaker* o = Owner();
    return o ? o->GetReference(def.ref_no + k) : nullptr;
  }
  bool WriteRef(int p, int k, ReferenceTarget* r) {
    const ParamDef& def = desc->paramdefs[p];
    if (!OwnersRef(def)) return ReplaceReference(RefNumber(p, k), r) == REF_SUCCEED;
    ReferenceMaker* o = Owner();
    return o && o->ReplaceReference(def.ref_no + k, r) == REF_SUCCEED;
  }

  BOOL GetRef(ParamID id, int tabIndex, ReferenceTarget*& v, int base) {
    int p = FindRefParam(id, tabIndex, base);
    if (p < 0) return FALSE;
    ReferenceTarget* r = ReadRef(p, Entry(p, tabIndex));
    // What the caller casts it to must be what it is.
    if (!Fits(pb2::Base(desc->paramdefs[p].type), r) || !Fits(base, r)) return FALSE;
    v = r;
    return TRUE;
  }
  BOOL SetRef(ParamID id, int tabIndex, ReferenceTarget* r, int base) {
    int p = FindRefParam(id, tabIndex, base);
    if (p < 0 || !Fits(pb2::Base(desc->paramdefs[p].type), r)) return FALSE;
    // The reference restore brings the target back; these make the block tell its dependents,
    // after the target is back on undo and after it is set again on redo.
    HoldChangeNotice(id, tabIndex, true);
    if (!WriteRef(p, Entry(p, tabIndex), r)) return FALSE;
    HoldChangeNotice(id, tabIndex, false);
    return Changed(id, tabIndex);
  }

  // Drops entries [start, start + num) of table p; references they held go.
  void Remove(int p, int start, int num) {
    const ParamDef& def = desc->paramdefs[p];
    auto& v = values[size_t(p)];
    int now = int(v.size());
    if (BlockRef(def)) {
      for (int k = start + num - 1; k >= start; --k)
        if (v[size_t(k)].r) DeleteReference(RefNumber(p, k));
    } else if (OwnersRef(def)) {
      // The owner's references of later entries move down over the removed ones.
      if (ReferenceMaker* o = Owner()) {
        for (int k = start; k < now; ++k) {
          ReferenceTarget* next = k + num < now ? o->GetReference(def.ref_no + k + num) : nullptr;
          o->ReplaceReference(def.ref_no + k, next, k < start + num);
        }
      }
    }
    std::vector<PB2Value> before = v;
    v.erase(v.begin() + start, v.begin() + start + num);
    HoldTable(p, before);
  }

  template <class T, class Store>
  int InsertValues(ParamID id, int at, int num, T* el, bool (*kind)(int), Store store) {
    int p = TabIndex(id);
    if (p < 0 || !kind(desc->paramdefs[p].type) || num <= 0 || !el) return -1;
    auto& v = values[size_t(p)];
    at = std::clamp(at, 0, int(v.size()));
    std::vector<PB2Value> fresh(static_cast<size_t>(num));
    for (int i = 0; i < num; ++i) store(fresh[size_t(i)], el[i]);
    std::vector<PB2Value> before = v;
    v.insert(v.begin() + at, fresh.begin(), fresh.end());
    // Clamp as SetValue does.
    for (int k = at; k < at + num; ++k) {
      const ParamDef& def = desc->paramdefs[p];
      if (!def.has_range) break;
      if (pb2::IsFloat(def.type))
        v[size_t(k)].f = std::clamp(v[size_t(k)].f, def.range_low.f, def.range_high.f);
      else
        v[size_t(k)].i = std::clamp(v[size_t(k)].i, def.range_low.i, def.range_high.i);
    }
    HoldTable(p, before);
    Changed(id, at);
    return at;
  }

  template <class T>
  int InsertRefs(ParamID id, int at, int num, T** el, int base) {
    int p = TabIndex(id);
    if (p < 0 || !pb2::IsRef(desc->paramdefs[p].type) || num <= 0 || !el) return -1;
    const ParamDef& def = desc->paramdefs[p];
    int type = pb2::Base(def.type);
    if (base >= 0 && type != base && type != TYPE_REFTARG) return -1;
    for (int i = 0; i < num; ++i)
      if (!Fits(type, el[i])) return -1;
    auto& v = values[size_t(p)];
    int now = int(v.size());
    at = std::clamp(at, 0, now);
    std::vector<PB2Value> before = v;
    if (OwnersRef(def)) {
      ReferenceMaker* o = Owner();
      if (!o) return -1;
      v.insert(v.begin() + at, size_t(num), PB2Value());
      HoldTable(p, before);
      // The owner's references of later entries move up to make room.
      for (int k = now + num - 1; k >= at + num; --k)
        o->ReplaceReference(def.ref_no + k, o->GetReference(def.ref_no + k - num), FALSE);
      for (int i = 0; i < num; ++i) o->ReplaceReference(def.ref_no + at + i, el[i], FALSE);
    } else {
      v.insert(v.begin() + at, size_t(num), PB2Value());
      HoldTable(p, before);
      for (int i = 0; i < num; ++i) ReplaceReference(RefNumber(p, at + i), el[i]);
    }
    Changed(id, at);
    return at;
  }

  bool ResetValues(int p, int tabIndex) {
    const ParamDef& def = desc->paramdefs[p];
    if (pb2::IsRef(def.type)) return false;
    auto& v = values[size_t(p)];
    if (tabIndex >= int(v.size())) return false;
    if (tabIndex < 0 || !pb2::IsTab(def.type))
      std::fill(v.begin(), v.end(), DefaultOf(def));
    else
      v[size_t(tabIndex)] = DefaultOf(def);
    return true;
  }

  IOResult LoadIdentity(ILoad* iload) {
    ULONG identity[4] = {0, 0, 0, 0};
    ULONG read = 0;
    if (iload->Read(identity, sizeof(identity), &read) != IO_OK || read != sizeof(identity))
      return IO_ERROR;
    ClassDesc* cd = GetClassDirectory().FindClass(identity[0], Class_ID(identity[1], identity[2]));
    ParamBlockDesc2* found = cd ? cd->GetParamBlockDescByID(BlockID(identity[3])) : nullptr;
    if (!found) return IO_ERROR;
    desc = found;
    values.clear();
    for (int i = 0; i < desc->Count(); ++i) {
      const ParamDef& def = desc->paramdefs[i];
      values.emplace_back(pb2::IsTab(def.type) ? size_t(def.tab_size) : 1, DefaultOf(def));
    }
    return IO_OK;
  }

  // Values of parameters the description no longer has, or whose type changed, are skipped;
  // a count is never trusted beyond what the chunk holds.
  IOResult LoadValues(ILoad* iload) {
    constexpr ULONG kMaxReferenceTable = 1u << 20;
    if (desc == &UnboundDescription()) return IO_ERROR;
    ULONG left = iload->CurChunkLength();
    while (left >= 12) {
      int32_t header[3];
      ULONG read = 0;
      if (iload->Read(header, sizeof(header), &read) != IO_OK || read != sizeof(header))
        return IO_ERROR;
      left -= 12;
      // Kept as the file's integer: a value outside the enumeration only fails to match.
      int type = header[1];
      bool refType = pb2::IsRef(type);  // references carry no values here
      ULONG count = header[2] < 0 ? 0 : ULONG(header[2]);
      if (refType ? count > kMaxReferenceTable : count > left / 4) return IO_ERROR;
      std::vector<PB2Value> loaded(count);
      if (!refType) {
        for (PB2Value& v : loaded)
          if (iload->Read(&v.i, 4, &read) != IO_OK || read != 4) return IO_ERROR;
        left -= count * 4;
      }
      int p = desc->IDtoIndex(ParamID(header[0]));
      if (p < 0 || int(desc->paramdefs[p].type) != type) continue;
      if (!pb2::IsTab(type) && count != 1) continue;
      values[size_t(p)] = loaded;
    }
    return IO_OK;
  }

  BOOL Changed(ParamID id, int tabIndex) {
    lastId = id;
    lastTab = tabIndex;
    if (notify) NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    // Rollouts that show the block follow the change.
    for (auto& entry : maps)
      if (entry.second) pb2::ParamChanged(entry.second, id, tabIndex);
    return TRUE;
  }

  ParamBlockDesc2* desc;
  ReferenceMaker* owner;
  bool ownerHeld = false;
  std::vector<std::vector<PB2Value>> values;  // [parameter index][table index]
  ParamID lastId = -1;
  int lastTab = 0;
  bool notify = true;
  std::vector<std::pair<MapID, IParamMap2*>> maps;
};

// A value of the block as it was and as it became; the block is held weakly.
class ValueRestore : public RestoreObj {
 public:
  ValueRestore(HostParamBlock2* block, ParamID id, int tabIndex, const PB2Value& before,
               const PB2Value& after)
      : held(new HeldTarget(block)), id(id), tabIndex(tabIndex), before(before), after(after) {}
  ~ValueRestore() override {
    held->ReplaceReference(0, nullptr, FALSE);
    held->DeleteMe();
  }
  void Restore(int) override { Put(before); }
  void Redo() override { Put(after); }
  int Size() override { return int(sizeof(*this) + sizeof(HeldTarget)); }
  MSTR Description() override { return MSTR(L"Parameter"); }

 private:
  void Put(const PB2Value& v) {
    if (auto* block = static_cast<HostParamBlock2*>(held->Get()))
      block->PutHeldValue(id, tabIndex, v);
  }
  HeldTarget* held;
  ParamID id;
  int tabIndex;
  PB2Value before, after;
};

void HostParamBlock2::HoldValue(ParamID id, int tabIndex, const PB2Value& before,
                                const PB2Value& after) {
  if (theHold.Holding()) theHold.Put(new ValueRestore(this, id, tabIndex, before, after));
}

// A table as it was and as it became; references in it are kept as counts only.
class TableRestore : public RestoreObj {
 public:
  TableRestore(HostParamBlock2* block, ParamID id, std::vector<PB2Value> before,
               std::vector<PB2Value> after)
      : held(new HeldTarget(block)), id(id), before(std::move(before)), after(std::move(after)) {}
  ~TableRestore() override {
    held->ReplaceReference(0, nullptr, FALSE);
    held->DeleteMe();
  }
  void Restore(int) override { Put(before); }
  void Redo() override { Put(after); }
  int Size() override {
    return int(sizeof(*this) + sizeof(HeldTarget) +
               (before.size() + after.size()) * sizeof(PB2Value));
  }
  MSTR Description() override { return MSTR(L"Parameter table"); }

 private:
  void Put(const std::vector<PB2Value>& table) {
    if (auto* block = static_cast<HostParamBlock2*>(held->Get())) block->PutHeldTable(id, table);
  }
  HeldTarget* held;
  ParamID id;
  std::vector<PB2Value> before, after;
};

// Tells the block's dependents of a reference parameter's change when it is undone (onUndo) or
// redone; put on both sides of the reference's own restore so the notice follows it.
class ChangeNotice : public RestoreObj {
 public:
  ChangeNotice(HostParamBlock2* block, ParamID id, int tabIndex, bool onUndo)
      : held(new HeldTarget(block)), id(id), tabIndex(tabIndex), onUndo(onUndo) {}
  ~ChangeNotice() override {
    held->ReplaceReference(0, nullptr, FALSE);
    held->DeleteMe();
  }
  void Restore(int) override {
    if (onUndo) Notify();
  }
  void Redo() override {
    if (!onUndo) Notify();
  }
  int Size() override { return int(sizeof(*this) + sizeof(HeldTarget)); }
  MSTR Description() override { return MSTR(L"Parameter"); }

 private:
  void Notify() {
    if (auto* block = static_cast<HostParamBlock2*>(held->Get()))
      block->NotifyHeldChange(id, tabIndex);
  }
  HeldTarget* held;
  ParamID id;
  int tabIndex;
  bool onUndo;
};

void HostParamBlock2::HoldTable(int p, const std::vector<PB2Value>& before) {
  if (!theHold.Holding()) return;
  std::vector<PB2Value> after = values[size_t(p)];
  if (pb2::IsRef(desc->paramdefs[p].type)) {
    theHold.Put(new TableRestore(this, desc->paramdefs[p].ID, std::vector<PB2Value>(before.size()),
                                 std::vector<PB2Value>(after.size())));
  } else {
    theHold.Put(new TableRestore(this, desc->paramdefs[p].ID, before, std::move(after)));
  }
}

void HostParamBlock2::HoldChangeNotice(ParamID id, int tabIndex, bool onUndo) {
  if (theHold.Holding()) theHold.Put(new ChangeNotice(this, id, tabIndex, onUndo));
}
}  // namespace

// Makes the blocks a scene load asks for; they bind to their description as they load.
class ParamBlock2ClassDesc : public ClassDesc {
 public:
  int IsPublic() override { return FALSE; }
  void* Create(BOOL) override {
    return static_cast<ReferenceTarget*>(new HostParamBlock2(&UnboundDescription(), nullptr));
  }
  const MCHAR* ClassName() override { return L"ParamBlock2"; }
  const MCHAR* NonLocalizedClassName() override { return L"ParamBlock2"; }
  SClass_ID SuperClassID() override { return PARAMETER_BLOCK2_CLASS_ID; }
  Class_ID ClassID() override { return Class_ID(PARAMETER_BLOCK2_CLASS_ID, 0); }
  const MCHAR* Category() override { return L""; }
};

ClassDesc* ParamBlock2Class() {
  static ParamBlock2ClassDesc desc;
  return &desc;
}

IParamBlock2* CreateParameterBlock2(ParamBlockDesc2* pdesc, ReferenceMaker* iowner) {
  return pdesc ? new HostParamBlock2(pdesc, iowner) : nullptr;
}
