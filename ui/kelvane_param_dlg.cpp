// The map's side of the material editor: the dialog it gives the editor, the
// output rollout it hands its output filter, and the captions of the open rollout.
#include "kelvane.h"
#include "kelvane_class_desc.h"
#include "kelvane_dlg_proc.h"
#include "module.h"
#include "param_block.h"

namespace {
// The output rollout made by the last CreateParamDlg of any map of the module; only compared,
// never called, once its master dialog may be gone.
ParamDlg* outputRollout = nullptr;
}  // namespace

ParamDlg* Kelvane::CreateParamDlg(HWND hwMtlEdit, IMtlParams* imp) {
  IAutoMParamDlg* masterDlg = GetKelvaneDesc()->CreateParamDlgs(hwMtlEdit, imp, this);
  if (!masterDlg) return nullptr;
  outputRollout = texout ? texout->CreateParamDlg(hwMtlEdit, imp) : nullptr;
  masterDlg->AddDlg(outputRollout);
  dlgProc = new KelvaneDlgProc(this, imp);
  // Attached to the open map 0, the handler gets WM_INITDIALOG now.
  kelvane_param_blk.SetUserDlgProc(dlgProc);
  this->hwMtlEdit = hwMtlEdit;
  return masterDlg;
}

BOOL Kelvane::SetDlgThing(ParamDlg* dlg) {
  if (!dlg || dlg != outputRollout) return FALSE;
  dlg->SetThing(texout);
  return TRUE;
}

void Kelvane::UpdateRolloutSubTexNames() {
  if (dlgProc) dlgProc->UpdateSubTexNames();
}

void Kelvane::RefreshRollout() {
  if (dlgProc) dlgProc->ReloadDialog();
}
