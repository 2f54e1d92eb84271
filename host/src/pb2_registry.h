#pragma once
// Which descriptions belong to which class descriptor. Descriptions are static objects of
// modules and may be built before their descriptor is: nothing here touches the descriptor.
#include <vector>

#include "iparamb2Typedefs.h"

class ClassDesc2;
class ParamBlockDesc2;
class IParamMap2;
class ParamMap2UserDlgProc;

namespace pb2 {

void AddDesc(ClassDesc2* cd, ParamBlockDesc2* pbd);
void RemoveDesc(ClassDesc2* cd, ParamBlockDesc2* pbd);
// In registration order; empty for an unknown descriptor.
const std::vector<ParamBlockDesc2*>& DescsOf(ClassDesc2* cd);
void ForgetClass(ClassDesc2* cd);

// The material editor's side, in the Windows build (natively they do nothing): a user dialog
// procedure attached to a description reaches the parameter map built from it that is open,
// a changed value reaches the maps showing the block, and a block that goes leaves its maps.
void UserDlgProcChanged(ParamBlockDesc2* pbd, MapID map_id, ParamMap2UserDlgProc* proc);
void ParamChanged(IParamMap2* map, ParamID id, int tabIndex);
void ParamBlockGone(IParamMap2* map);

}  // namespace pb2
