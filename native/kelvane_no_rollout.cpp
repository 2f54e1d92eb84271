// A build without the material editor (natively): the map has no dialog, no output rollout
// and never a rollout to refresh.
#include "kelvane.h"

ParamDlg* Kelvane::CreateParamDlg(HWND, IMtlParams*) {
  return nullptr;
}

BOOL Kelvane::SetDlgThing(ParamDlg*) {
  return FALSE;
}

void Kelvane::UpdateRolloutSubTexNames() {}

void Kelvane::RefreshRollout() {}
