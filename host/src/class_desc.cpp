// Class descriptors: the descriptions each ClassDesc2 keeps, its blocks, its strings.
#include <algorithm>
#include <limits>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "iparamb2.h"
#include "pb2_registry.h"

namespace pb2 {
namespace {
// Never destroyed: modules' static descriptions register during their static initialisation
// and unregister during their static destruction, in an order nothing here controls.
std::map<ClassDesc2*, std::vector<ParamBlockDesc2*>>& Descs() {
  static auto* descs = new std::map<ClassDesc2*, std::vector<ParamBlockDesc2*>>;
  return *descs;
}
}  // namespace

void AddDesc(ClassDesc2* cd, ParamBlockDesc2* pbd) {
  auto& list = Descs()[cd];
  if (std::find(list.begin(), list.end(), pbd) == list.end()) list.push_back(pbd);
}

void RemoveDesc(ClassDesc2* cd, ParamBlockDesc2* pbd) {
  auto it = Descs().find(cd);
  if (it == Descs().end()) return;
  std::erase(it->second, pbd);
  if (it->second.empty()) Descs().erase(it);
}

const std::vector<ParamBlockDesc2*>& DescsOf(ClassDesc2* cd) {
  static const std::vector<ParamBlockDesc2*> none;
  auto it = Descs().find(cd);
  return it == Descs().end() ? none : it->second;
}

void ForgetClass(ClassDesc2* cd) {
  Descs().erase(cd);
}

}  // namespace pb2

namespace {
// Strings a descriptor has handed out, kept until it goes: callers hold the pointers.
std::map<std::pair<ClassDesc2*, INT_PTR>, std::wstring>& RsrcStrings() {
  static auto* strings = new std::map<std::pair<ClassDesc2*, INT_PTR>, std::wstring>;
  return *strings;
}
}  // namespace

ClassDesc::~ClassDesc() = default;

ClassDesc2::~ClassDesc2() {
  // Descriptions that outlive this descriptor must not point at it.
  for (ParamBlockDesc2* pbd : pb2::DescsOf(this)) pbd->cd = nullptr;
  pb2::ForgetClass(this);
  auto& strings = RsrcStrings();
  strings.erase(strings.lower_bound({this, std::numeric_limits<INT_PTR>::min()}),
                strings.upper_bound({this, std::numeric_limits<INT_PTR>::max()}));
}

void ClassDesc2::ResetClassParams(BOOL) {}

int ClassDesc2::NumParamBlockDescs() {
  return int(pb2::DescsOf(this).size());
}

ParamBlockDesc2* ClassDesc2::GetParamBlockDesc(int i) {
  const auto& list = pb2::DescsOf(this);
  return i >= 0 && i < int(list.size()) ? list[size_t(i)] : nullptr;
}

ParamBlockDesc2* ClassDesc2::GetParamBlockDescByID(BlockID id) {
  for (ParamBlockDesc2* pbd : pb2::DescsOf(this))
    if (pbd->ID == id) return pbd;
  return nullptr;
}

void ClassDesc2::AddParamBlockDesc(ParamBlockDesc2* pbd) {
  if (!pbd) return;
  if (pbd->cd && pbd->cd != this) pb2::RemoveDesc(pbd->cd, pbd);
  pbd->cd = this;
  pb2::AddDesc(this, pbd);
}

void ClassDesc2::MakeAutoParamBlocks(ReferenceMaker* owner) {
  if (!owner) return;
  // A copy: building a block must not be disturbed by descriptions coming or going.
  std::vector<ParamBlockDesc2*> list = pb2::DescsOf(this);
  for (ParamBlockDesc2* pbd : list) {
    if (!(pbd->flags & P_AUTO_CONSTRUCT)) continue;
    IParamBlock2* block = CreateParameterBlock2(pbd, owner);
    if (owner->ReplaceReference(pbd->ref_no, block) != REF_SUCCEED) block->MaybeAutoDelete();
  }
}

void ClassDesc2::SetUserDlgProc(ParamBlockDesc2* pbd, MapID map_id, ParamMap2UserDlgProc* proc) {
  if (pbd) pbd->SetUserDlgProc(map_id, proc);
}

ParamMap2UserDlgProc* ClassDesc2::GetUserDlgProc(ParamBlockDesc2* pbd, MapID map_id) {
  return pbd ? pbd->GetUserDlgProc(map_id) : nullptr;
}

const MCHAR* ClassDesc2::GetRsrcString(INT_PTR id) {
  auto key = std::make_pair(this, id);
  auto it = RsrcStrings().find(key);
  if (it != RsrcStrings().end()) return it->second.c_str();
  HINSTANCE module = HInstance();
  if (!module || id < 0 || id > 0xffff) return nullptr;
  wchar_t buffer[512];
  if (LoadStringW(module, UINT(id), buffer, 512) <= 0) return nullptr;
  return RsrcStrings().emplace(key, buffer).first->second.c_str();
}

// The material editor's side of a descriptor (parameter maps and master dialogs) lives in
// editor/class_desc_editor.cpp in the Windows build and no_material_editor.cpp natively.
