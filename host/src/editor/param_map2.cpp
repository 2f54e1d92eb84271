// Parameter maps: a rollup page made from a module's dialog template whose controls the map
// binds to a parameter block by the p_ui entries of the block's description. The map loads
// the controls from the block when the page is made, before its user dialog procedure sees
// WM_INITDIALOG; it writes the user's edits into the block; and a change of the block from
// elsewhere reloads the controls of that parameter. Every message of the page reaches the
// user dialog procedure after the map's own handling.
#include <algorithm>
#include <cmath>
#include <vector>

#include "../param_types.h"
#include "../pb2_registry.h"
#include "editor_internal.h"
#include "iparamm2.h"

namespace editor {
namespace {

class HostParamMap2;

// Set while a map's own teardown clears its description: no other map hears of it.
bool quietProcChange = false;

std::vector<HostParamMap2*>& LiveMaps() {
  static auto* maps = new std::vector<HostParamMap2*>;
  return *maps;
}

class HostParamMap2 final : public IParamMap2 {
 public:
  HostParamMap2(MapID id, IParamBlock2* pb, IMtlParams* ip, HWND medit, ParamMap2UserDlgProc* proc)
      : mapId(id),
        pblock(pb),
        desc(pb ? pb->GetDesc() : nullptr),
        imp(ip),
        hmedit(medit),
        userProc(proc) {
    LiveMaps().push_back(this);
    if (pblock) pblock->SetMap(this, mapId);
  }
  ~HostParamMap2() override {
    if (pblock) pblock->SetMap(nullptr, mapId);
    std::erase(LiveMaps(), this);
  }

  MapID mapId;
  IParamBlock2* pblock;
  ParamBlockDesc2* desc;
  IMtlParams* imp;
  HWND hmedit;
  ParamMap2UserDlgProc* userProc;
  HWND hwnd = nullptr;
  Interval valid;
  BOOL active = TRUE;

  TimeValue Now() { return imp ? imp->GetTime() : 0; }

  // The parameters of this map that have a control.
  template <class F>
  void ForEachControlled(F f) {
    if (!desc) return;
    for (int i = 0; i < desc->Count(); ++i) {
      ParamDef& def = desc->paramdefs[i];
      if (def.ctrl_type >= 0 && def.ctrl_count > 0 && def.map_id == mapId) f(def);
    }
  }
  HWND Item(const ParamDef& def, int k) {
    return k < def.ctrl_count && hwnd ? GetDlgItem(hwnd, def.ctrl_IDs[k]) : nullptr;
  }

  // Controls from the block: ranges, scale and edit link of spinners, values of everything.
  void Bind(ParamDef& def) {
    if (def.ctrl_type == TYPE_SPINNER) {
      ISpinnerControl* spin = GetISpinner(Item(def, 1));
      if (!spin) return;
      auto type = EditSpinnerType(def.spin_type);
      spin->LinkToEdit(Item(def, 0), type);
      if (def.has_range) {
        if (pb2::IsFloat(def.type))
          spin->SetLimits(def.range_low.f, def.range_high.f, FALSE);
        else
          spin->SetLimits(def.range_low.i, def.range_high.i, FALSE);
      }
      if (def.scale == SPIN_AUTOSCALE)
        spin->SetAutoScale(TRUE);
      else
        spin->SetScale(def.scale);
      if (def.has_default)
        spin->SetResetValue(pb2::IsFloat(def.type) ? def.def.f : float(def.def.i));
    } else if (def.ctrl_type == TYPE_CHECKBUTTON) {
      if (ICustButton* b = GetICustButton(Item(def, 0))) b->SetType(CBT_CHECK);
    }
    Load(def);
  }

  void Load(ParamDef& def) {
    if (!pblock || !hwnd) return;
    TimeValue t = Now();
    float f = 0.0f;
    int i = 0;
    bool isFloat = pb2::IsFloat(def.type);
    if (isFloat)
      pblock->GetValue(def.ID, t, f, valid);
    else if (pb2::IsInt(def.type))
      pblock->GetValue(def.ID, t, i, valid);
    switch (def.ctrl_type) {
      case TYPE_SPINNER:
        if (ISpinnerControl* spin = GetISpinner(Item(def, 1))) {
          if (isFloat)
            spin->SetValue(f, FALSE);
          else
            spin->SetValue(i, FALSE);
        }
        break;
      case TYPE_SINGLECHECKBOX:
        CheckDlgButton(hwnd, def.ctrl_IDs[0], i ? BST_CHECKED : BST_UNCHECKED);
        break;
      case TYPE_CHECKBUTTON:
        if (ICustButton* b = GetICustButton(Item(def, 0))) b->SetCheck(i != 0);
        break;
      case TYPE_RADIO:
        for (int k = 0; k < def.ctrl_count; ++k)
          CheckDlgButton(hwnd, def.ctrl_IDs[k], k == i ? BST_CHECKED : BST_UNCHECKED);
        break;
      case TYPE_EDITBOX:
        if (ICustEdit* e = GetICustEdit(Item(def, 0))) {
          if (isFloat)
            e->SetText(FormatSpinnerValue(f, EDITTYPE_FLOAT).c_str());
          else
            e->SetText(i);
        }
        break;
      case TYPE_TEXMAPBUTTON: {
        Texmap* map = pblock->GetTexmap(def.ID, t);
        MSTR name = map ? map->GetFullName(true) : MSTR(L"None");
        if (ICustButton* b = GetICustButton(Item(def, 0))) b->SetText(name.data());
        break;
      }
    }
  }

  void LoadAll() {
    ForEachControlled([&](ParamDef& def) { Load(def); });
    valid = FOREVER;
  }

  // The user changed a control: the block takes the value. Returns whether it was bound.
  bool Store(UINT msg, WPARAM wParam, LPARAM) {
    if (!pblock) return false;
    int id = LOWORD(wParam);
    TimeValue t = Now();
    bool handled = false;
    ForEachControlled([&](ParamDef& def) {
      if (handled) return;
      switch (def.ctrl_type) {
        case TYPE_SPINNER:
          if (msg == CC_SPINNER_CHANGE && def.ctrl_IDs[1] == id) {
            if (ISpinnerControl* spin = GetISpinner(Item(def, 1))) {
              if (pb2::IsFloat(def.type))
                pblock->SetValue(def.ID, t, spin->GetFVal());
              else
                pblock->SetValue(def.ID, t, spin->GetIVal());
            }
            handled = true;
          }
          break;
        case TYPE_SINGLECHECKBOX:
          if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && def.ctrl_IDs[0] == id) {
            pblock->SetValue(def.ID, t, IsDlgButtonChecked(hwnd, id) == BST_CHECKED ? 1 : 0);
            handled = true;
          }
          break;
        case TYPE_CHECKBUTTON:
          if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && def.ctrl_IDs[0] == id) {
            ICustButton* b = GetICustButton(Item(def, 0));
            pblock->SetValue(def.ID, t, b && b->IsChecked() ? 1 : 0);
            handled = true;
          }
          break;
        case TYPE_RADIO:
          if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED)
            for (int k = 0; k < def.ctrl_count; ++k)
              if (def.ctrl_IDs[k] == id) {
                pblock->SetValue(def.ID, t, k);
                handled = true;
              }
          break;
        case TYPE_EDITBOX:
          if (msg == WM_CUSTEDIT_ENTER && def.ctrl_IDs[0] == id) {
            if (ICustEdit* e = GetICustEdit(Item(def, 0))) {
              BOOL ok = FALSE;
              float v = e->GetFloat(&ok);
              if (ok && pb2::IsFloat(def.type))
                pblock->SetValue(def.ID, t, v);
              else if (ok)
                pblock->SetValue(def.ID, t, int(std::lround(v)));
              else
                Load(def);
            }
            handled = true;
          }
          break;
        case TYPE_TEXMAPBUTTON:
          if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && def.ctrl_IDs[0] == id) {
            if (hmedit)
              PostMessageW(hmedit, WM_TEXMAP_BUTTON, WPARAM(def.subobj_no),
                           LPARAM(pblock->GetOwner()));
            handled = true;
          }
          break;
      }
    });
    return handled;
  }

  INT_PTR Message(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
      case WM_INITDIALOG:
        ForEachControlled([&](ParamDef& def) { Bind(def); });
        valid = FOREVER;
        break;
      case WM_COMMAND:
      case CC_SPINNER_CHANGE:
      case WM_CUSTEDIT_ENTER:
        Store(msg, wParam, lParam);
        break;
    }
    INT_PTR result = msg == WM_INITDIALOG ? TRUE : FALSE;
    if (userProc) {
      INT_PTR r = userProc->DlgProc(Now(), this, hwnd, msg, wParam, lParam);
      if (msg != WM_INITDIALOG) result = r;
    }
    return result;
  }

  // IParamMap2.
  void Invalidate() override {
    valid.SetEmpty();
    LoadAll();
  }
  void Validate() override { valid = FOREVER; }
  void Invalidate(ParamID id, int) override {
    if (id < 0) {
      Invalidate();
      return;
    }
    ForEachControlled([&](ParamDef& def) {
      if (def.ID == id) Load(def);
    });
  }
  void UpdateUI(TimeValue t) override {
    LoadAll();
    if (userProc) userProc->Update(t, valid, this);
  }
  void RedrawViews(TimeValue, DWORD) override {}
  Interval& Validity() override { return valid; }
  void SetParamBlock(IParamBlock2* pb) override {
    if (pb == pblock) return;
    if (pblock) pblock->SetMap(nullptr, mapId);
    pblock = pb;
    if (pblock) {
      desc = pblock->GetDesc();
      pblock->SetMap(this, mapId);
    }
    LoadAll();
    if (userProc) userProc->SetParamBlock(pb);
  }
  MapID GetMapID() override { return mapId; }
  void SetUserDlgProc(ParamMap2UserDlgProc* proc) override {
    if (proc == userProc) return;
    userProc = proc;
    // A handler that arrives after the page exists starts as if the page had just been made.
    if (userProc && hwnd) userProc->DlgProc(Now(), this, hwnd, WM_INITDIALOG, 0, 0);
  }
  ParamMap2UserDlgProc* GetUserDlgProc() override { return userProc; }
  HWND GetHWnd() override { return hwnd; }
  IParamBlock2* GetParamBlock() override { return pblock; }
  BOOL DlgActive() override { return active; }
  ParamBlockDesc2* GetDesc() override { return desc; }
  void ActivateDlg(BOOL onOff) override { active = onOff; }
  int FindSubTexFromHWND(HWND hw) override {
    int found = -1;
    ForEachControlled([&](ParamDef& def) {
      if (def.ctrl_type == TYPE_TEXMAPBUTTON && Item(def, 0) == hw) found = def.subobj_no;
    });
    return found;
  }
  int FindSubMtlFromHWND(HWND) override { return -1; }
  void Enable(ParamID id, BOOL onOff, int) override {
    ForEachControlled([&](ParamDef& def) {
      if (def.ID != id) return;
      if (def.ctrl_type == TYPE_SPINNER) {
        if (ISpinnerControl* spin = GetISpinner(Item(def, 1))) spin->Enable(onOff);
        return;
      }
      for (int k = 0; k < def.ctrl_count; ++k) EnableWindow(Item(def, k), onOff);
    });
  }
  void SetText(ParamID id, const MCHAR* txt, int) override {
    ForEachControlled([&](ParamDef& def) {
      if (def.ID == id && def.ctrl_count > 0) SetWindowTextW(Item(def, 0), txt ? txt : L"");
    });
  }
  void SetTooltip(ParamID, bool, const MCHAR*, int) override {}
  void SetRange(ParamID id, float low, float high, int) override {
    ForEachControlled([&](ParamDef& def) {
      if (def.ID == id && def.ctrl_type == TYPE_SPINNER)
        if (ISpinnerControl* spin = GetISpinner(Item(def, 1))) spin->SetLimits(low, high, FALSE);
    });
  }
  void Show(ParamID id, BOOL showHide, int) override {
    ForEachControlled([&](ParamDef& def) {
      if (def.ID == id)
        for (int k = 0; k < def.ctrl_count; ++k)
          ShowWindow(Item(def, k), showHide ? SW_SHOW : SW_HIDE);
    });
  }
  void SetThing(ReferenceTarget* m) override {
    if (userProc) userProc->SetThing(m);
  }
};

INT_PTR CALLBACK ParamMapDlgProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  HostParamMap2* map = nullptr;
  if (msg == WM_INITDIALOG) {
    map = reinterpret_cast<HostParamMap2*>(lParam);
    SetWindowLongPtrW(hDlg, DWLP_USER, LONG_PTR(map));
    if (map) map->hwnd = hDlg;
  } else {
    map = reinterpret_cast<HostParamMap2*>(GetWindowLongPtrW(hDlg, DWLP_USER));
  }
  if (!map) return FALSE;
  INT_PTR result = map->Message(msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hDlg, DWLP_USER, 0);
    map->hwnd = nullptr;
  }
  return result;
}

HostParamMap2* LatestMap(ParamBlockDesc2* pbd, MapID id) {
  auto& maps = LiveMaps();
  for (auto it = maps.rbegin(); it != maps.rend(); ++it)
    if ((*it)->desc == pbd && (*it)->mapId == id) return *it;
  return nullptr;
}

}  // namespace
}  // namespace editor

IParamMap2* CreateMParamMap2(MapID map_id, IParamBlock2* pb, IMtlParams* ip, HINSTANCE hInst,
                             HWND hmedit, TexDADMgr*, MtlDADMgr*, const MCHAR* dlgTemplate,
                             const MCHAR* title, DWORD flags, ParamMap2UserDlgProc* dlgProc, HWND,
                             int category) {
  if (!pb || !ip) return nullptr;
  auto* map = new editor::HostParamMap2(map_id, pb, ip, hmedit, dlgProc);
  HWND page = ip->AddRollupPage(hInst, dlgTemplate, editor::ParamMapDlgProc, title, LPARAM(map),
                                flags, category);
  if (!page) {
    delete map;
    return nullptr;
  }
  map->hwnd = page;
  return map;
}

void DestroyMParamMap2(IParamMap2* m) {
  auto* map = static_cast<editor::HostParamMap2*>(m);
  if (!map) return;
  if (map->hwnd && IsWindow(map->hwnd)) {
    HWND page = map->hwnd;
    if (map->imp) map->imp->DeleteRollupPage(page);
    if (IsWindow(page)) DestroyWindow(page);
  }
  map->hwnd = nullptr;
  ParamMap2UserDlgProc* proc = map->userProc;
  ParamBlockDesc2* desc = map->desc;
  MapID id = map->mapId;
  delete map;
  if (proc) {
    // The description must not hand the deleted handler to the next map built from it.
    if (desc && desc->GetUserDlgProc(id) == proc) {
      editor::quietProcChange = true;
      desc->SetUserDlgProc(id, nullptr);
      editor::quietProcChange = false;
    }
    proc->DeleteThis();
  }
}

namespace pb2 {

void UserDlgProcChanged(ParamBlockDesc2* pbd, MapID map_id, ParamMap2UserDlgProc* proc) {
  if (editor::quietProcChange) return;
  if (auto* map = editor::LatestMap(pbd, map_id)) map->SetUserDlgProc(proc);
}

void ParamChanged(IParamMap2* map, ParamID id, int tabIndex) {
  if (map) map->Invalidate(id, tabIndex);
}

void ParamBlockGone(IParamMap2* map) {
  if (auto* m = static_cast<editor::HostParamMap2*>(map)) m->pblock = nullptr;
}

}  // namespace pb2
