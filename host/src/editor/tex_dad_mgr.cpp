// The drag-and-drop manager of map buttons. It knows nothing of the buttons: the dialog it
// serves names the sub-map behind a button window (FindSubTexFromHWND) and the object that
// owns the sub-maps (GetThing).
#include "imtl.h"

namespace {

MtlBase* ThingOf(ParamDlg* dlg) {
  ReferenceTarget* thing = dlg ? dlg->GetThing() : nullptr;
  if (!thing) return nullptr;
  switch (thing->SuperClassID()) {
    case TEXMAP_CLASS_ID:
    case MATERIAL_CLASS_ID:
      return static_cast<MtlBase*>(thing);
  }
  return nullptr;
}

Texmap* AsTexmap(ReferenceTarget* r) {
  return r && r->SuperClassID() == TEXMAP_CLASS_ID ? static_cast<Texmap*>(r) : nullptr;
}

}  // namespace

BOOL TexDADMgr::OkToDrop(ReferenceTarget* dropThis, HWND hfrom, HWND hto, POINT, SClass_ID type,
                         BOOL isNew) {
  if (type != TEXMAP_CLASS_ID || hfrom == hto) return FALSE;
  MtlBase* thing = ThingOf(dlg);
  if (!thing || dlg->FindSubTexFromHWND(hto) < 0) return FALSE;
  if (!dropThis) return isNew;
  if (!AsTexmap(dropThis) || dropThis == thing) return FALSE;
  // The object taking the map must not end up referencing itself through it.
  return dropThis->TestForLoop(FOREVER, thing) != REF_FAIL;
}

ReferenceTarget* TexDADMgr::GetInstance(HWND hwnd, POINT, SClass_ID type) {
  if (type != TEXMAP_CLASS_ID) return nullptr;
  MtlBase* thing = ThingOf(dlg);
  int n = thing ? dlg->FindSubTexFromHWND(hwnd) : -1;
  return n >= 0 && n < thing->NumSubTexmaps() ? thing->GetSubTexmap(n) : nullptr;
}

void TexDADMgr::Drop(ReferenceTarget* dropThis, HWND hwnd, POINT, SClass_ID type, DADMgr*,
                     BOOL bSrcClone) {
  if (type != TEXMAP_CLASS_ID) return;
  MtlBase* thing = ThingOf(dlg);
  int n = thing ? dlg->FindSubTexFromHWND(hwnd) : -1;
  if (n < 0 || n >= thing->NumSubTexmaps()) return;
  Texmap* map = AsTexmap(dropThis);
  if (dropThis && !map) return;
  if (map && bSrcClone) {
    RemapDir* remap = NewRemapDir();
    map = AsTexmap(remap->CloneRef(map));
    remap->DeleteThis();
    if (!map) return;
  }
  thing->SetSubTexmap(n, map);
}

BOOL TexDADMgr::LetMeHandleLocalDAD() {
  return TRUE;
}

void TexDADMgr::LocalDragAndDrop(HWND h1, HWND h2, POINT, POINT) {
  // Between two buttons of one dialog: the target slot takes an instance of the dragged map.
  MtlBase* thing = ThingOf(dlg);
  if (!thing) return;
  int from = dlg->FindSubTexFromHWND(h1);
  int to = dlg->FindSubTexFromHWND(h2);
  int n = thing->NumSubTexmaps();
  if (from < 0 || to < 0 || from == to || from >= n || to >= n) return;
  Texmap* map = thing->GetSubTexmap(from);
  if (map) thing->SetSubTexmap(to, map);
}
