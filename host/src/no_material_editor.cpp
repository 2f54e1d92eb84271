// A build without the material editor (natively): descriptors make no dialogs, no object
// has a rollout, and the parameter-map notifications have nobody to reach.
#include "iparamb2.h"
#include "pb2_registry.h"
#include "std_texture_output.h"

void ClassDesc2::BeginEditParams(IObjParam*, ReferenceMaker*, ULONG, Animatable*) {}
void ClassDesc2::EndEditParams(IObjParam*, ReferenceMaker*, ULONG, Animatable*) {}
void ClassDesc2::InvalidateUI() {}
void ClassDesc2::InvalidateUI(ParamBlockDesc2*) {}
void ClassDesc2::InvalidateUI(ParamBlockDesc2*, ParamID, int) {}
IParamMap2* ClassDesc2::GetParamMap(int) {
  return nullptr;
}
IParamMap2* ClassDesc2::GetParamMap(ParamBlockDesc2*, MapID) {
  return nullptr;
}
IAutoMParamDlg* ClassDesc2::CreateParamDlgs(HWND, IMtlParams*, ReferenceTarget*) {
  return nullptr;
}
IAutoMParamDlg* ClassDesc2::CreateParamDlg(BlockID, HWND, IMtlParams*, ReferenceTarget*, MapID) {
  return nullptr;
}
void ClassDesc2::MasterDlgDeleted(IAutoMParamDlg*) {}
IAutoMParamDlg* ClassDesc2::GetMParamDlg() {
  return nullptr;
}

ParamDlg* StdTextureOutput::CreateParamDlg(HWND, IMtlParams*) {
  return nullptr;
}

namespace pb2 {
void UserDlgProcChanged(ParamBlockDesc2*, MapID, ParamMap2UserDlgProc*) {}
void ParamChanged(IParamMap2*, ParamID, int) {}
void ParamBlockGone(IParamMap2*) {}
}  // namespace pb2
