// The material editor's side of class descriptors: the master dialog of an edited object,
// made of a parameter map for every P_AUTO_UI map of the class's block descriptions, plus the
// secondary dialogs the object adds to it.
#include <algorithm>
#include <map>
#include <vector>

#include "../pb2_registry.h"
#include "editor_internal.h"
#include "iparamm2.h"

namespace editor {
namespace {

class HostAutoMParamDlg;

// The master dialog each descriptor has open, as GetMParamDlg answers.
std::map<ClassDesc2*, HostAutoMParamDlg*>& Masters() {
  static auto* masters = new std::map<ClassDesc2*, HostAutoMParamDlg*>;
  return *masters;
}

// The materials layer's objects take secondary dialogs through ISubMap::SetDlgThing.
MtlBase* AsMtlBase(ReferenceTarget* m) {
  if (!m) return nullptr;
  switch (m->SuperClassID()) {
    case TEXMAP_CLASS_ID:
    case MATERIAL_CLASS_ID:
    case UVGEN_CLASS_ID:
    case TEXOUTPUT_CLASS_ID:
      return static_cast<MtlBase*>(m);
  }
  return nullptr;
}

class HostAutoMParamDlg final : public IAutoMParamDlg {
 public:
  HostAutoMParamDlg(ClassDesc2* c, IMtlParams* ip, ReferenceTarget* obj)
      : cd(c), imp(ip), thing(obj) {}

  ClassDesc2* cd;
  IMtlParams* imp;
  ReferenceTarget* thing;
  std::vector<IParamMap2*> maps;
  std::vector<ParamDlg*> dlgs;

  // ParamDlg.
  Class_ID ClassID() override { return thing ? thing->ClassID() : cd->ClassID(); }
  void SetThing(ReferenceTarget* m) override {
    thing = m;
    for (IParamMap2* map : maps) {
      ParamBlockDesc2* desc = map->GetDesc();
      map->SetParamBlock(m && desc ? m->GetParamBlockByID(desc->ID) : nullptr);
      map->SetThing(m);
    }
    // Secondary dialogs show parts of the object (its output, say): the object hands each
    // its part, or the dialog takes the object itself.
    MtlBase* mb = AsMtlBase(m);
    for (ParamDlg* dlg : std::vector<ParamDlg*>(dlgs))
      if (!mb || !mb->SetDlgThing(dlg)) dlg->SetThing(m);
  }
  ReferenceTarget* GetThing() override { return thing; }
  void SetTime(TimeValue t) override {
    for (IParamMap2* map : maps)
      if (!map->Validity().InInterval(t)) map->UpdateUI(t);
    for (ParamDlg* dlg : dlgs) dlg->SetTime(t);
  }
  void ReloadDialog() override {
    TimeValue t = imp ? imp->GetTime() : 0;
    for (IParamMap2* map : maps) {
      map->Invalidate();
      map->UpdateUI(t);
    }
    for (ParamDlg* dlg : dlgs) dlg->ReloadDialog();
  }
  void DeleteThis() override {
    for (ParamDlg* dlg : dlgs) dlg->DeleteThis();
    dlgs.clear();
    for (IParamMap2* map : maps) DestroyMParamMap2(map);
    maps.clear();
    cd->MasterDlgDeleted(this);
    delete this;
  }
  void ActivateDlg(BOOL onOff) override {
    for (IParamMap2* map : maps) map->ActivateDlg(onOff);
    for (ParamDlg* dlg : dlgs) dlg->ActivateDlg(onOff);
  }
  int FindSubTexFromHWND(HWND hw) override {
    for (IParamMap2* map : maps)
      if (int n = map->FindSubTexFromHWND(hw); n >= 0) return n;
    for (ParamDlg* dlg : dlgs)
      if (int n = dlg->FindSubTexFromHWND(hw); n >= 0) return n;
    return -1;
  }
  int FindSubMtlFromHWND(HWND hw) override {
    for (IParamMap2* map : maps)
      if (int n = map->FindSubMtlFromHWND(hw); n >= 0) return n;
    for (ParamDlg* dlg : dlgs)
      if (int n = dlg->FindSubMtlFromHWND(hw); n >= 0) return n;
    return -1;
  }

  // IAutoMParamDlg.
  void InvalidateUI() override {
    for (IParamMap2* map : maps) map->Invalidate();
  }
  void MtlChanged() override {
    if (imp) imp->MtlChanged();
  }
  int NumDlgs() override { return int(dlgs.size()); }
  void AddDlg(ParamDlg* dlg) override {
    if (dlg) dlgs.push_back(dlg);
  }
  ParamDlg* GetDlg(int i) override {
    return i >= 0 && i < int(dlgs.size()) ? dlgs[size_t(i)] : nullptr;
  }
  void SetDlg(int i, ParamDlg* dlg) override {
    if (i >= 0 && i < int(dlgs.size()) && dlg) dlgs[size_t(i)] = dlg;
  }
  void DeleteDlg(ParamDlg* dlg) override {
    auto it = std::find(dlgs.begin(), dlgs.end(), dlg);
    if (it == dlgs.end()) return;
    dlgs.erase(it);
    dlg->DeleteThis();
  }
  IParamMap2* GetMap() override { return maps.empty() ? nullptr : maps.front(); }

  // The rollup page of one map of a description.
  void AddMap(ParamBlockDesc2* desc, int i, HWND hwMtlEdit) {
    MapID id = 0;
    int dialog = 0, testFlags = 0, rollupFlags = 0;
    StringResID title = 0;
    if (!desc->GetMap(i, id, dialog, title, testFlags, rollupFlags)) return;
    IParamBlock2* pb = thing ? thing->GetParamBlockByID(desc->ID) : nullptr;
    if (!pb) return;
    const MCHAR* text = title ? cd->GetRsrcString(title) : nullptr;
    IParamMap2* map = CreateMParamMap2(id, pb, imp, cd->HInstance(), hwMtlEdit, nullptr, nullptr,
                                       MAKEINTRESOURCEW(dialog), text ? text : L"",
                                       DWORD(rollupFlags), desc->GetUserDlgProc(id));
    if (map) maps.push_back(map);
  }
};

}  // namespace
}  // namespace editor

void ClassDesc2::BeginEditParams(IObjParam*, ReferenceMaker*, ULONG, Animatable*) {}
void ClassDesc2::EndEditParams(IObjParam*, ReferenceMaker*, ULONG, Animatable*) {}

IAutoMParamDlg* ClassDesc2::CreateParamDlgs(HWND hwMtlEdit, IMtlParams* imp, ReferenceTarget* obj) {
  auto* master = new editor::HostAutoMParamDlg(this, imp, obj);
  for (ParamBlockDesc2* desc : std::vector<ParamBlockDesc2*>(pb2::DescsOf(this))) {
    if (!(desc->flags & P_AUTO_UI)) continue;
    for (int i = 0; i < desc->NumMaps(); ++i) master->AddMap(desc, i, hwMtlEdit);
  }
  editor::Masters()[this] = master;
  return master;
}

IAutoMParamDlg* ClassDesc2::CreateParamDlg(BlockID id, HWND hwMtlEdit, IMtlParams* imp,
                                           ReferenceTarget* obj, MapID mapID) {
  auto* master = new editor::HostAutoMParamDlg(this, imp, obj);
  if (ParamBlockDesc2* desc = GetParamBlockDescByID(id))
    for (int i = 0; i < desc->NumMaps(); ++i) {
      MapID mid = 0;
      int dialog = 0, testFlags = 0, rollupFlags = 0;
      StringResID title = 0;
      if (desc->GetMap(i, mid, dialog, title, testFlags, rollupFlags) && mid == mapID)
        master->AddMap(desc, i, hwMtlEdit);
    }
  editor::Masters()[this] = master;
  return master;
}

void ClassDesc2::MasterDlgDeleted(IAutoMParamDlg* dlg) {
  auto it = editor::Masters().find(this);
  if (it != editor::Masters().end() && it->second == dlg) editor::Masters().erase(it);
}

IAutoMParamDlg* ClassDesc2::GetMParamDlg() {
  auto it = editor::Masters().find(this);
  return it == editor::Masters().end() ? nullptr : it->second;
}

IParamMap2* ClassDesc2::GetParamMap(int i) {
  auto* master = static_cast<editor::HostAutoMParamDlg*>(GetMParamDlg());
  if (!master || i < 0 || i >= int(master->maps.size())) return nullptr;
  return master->maps[size_t(i)];
}

IParamMap2* ClassDesc2::GetParamMap(ParamBlockDesc2* pbd, MapID map_id) {
  auto* master = static_cast<editor::HostAutoMParamDlg*>(GetMParamDlg());
  if (!master) return nullptr;
  for (IParamMap2* map : master->maps)
    if (map->GetDesc() == pbd && map->GetMapID() == map_id) return map;
  return nullptr;
}

void ClassDesc2::InvalidateUI() {
  if (auto* master = GetMParamDlg()) master->InvalidateUI();
}

void ClassDesc2::InvalidateUI(ParamBlockDesc2* pbd) {
  auto* master = static_cast<editor::HostAutoMParamDlg*>(GetMParamDlg());
  if (!master) return;
  for (IParamMap2* map : master->maps)
    if (map->GetDesc() == pbd) map->Invalidate();
}

void ClassDesc2::InvalidateUI(ParamBlockDesc2* pbd, ParamID id, int tabIndex) {
  auto* master = static_cast<editor::HostAutoMParamDlg*>(GetMParamDlg());
  if (!master) return;
  for (IParamMap2* map : master->maps)
    if (map->GetDesc() == pbd) map->Invalidate(id, tabIndex < 0 ? 0 : tabIndex);
}
