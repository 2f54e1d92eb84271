#pragma once
// Which descriptions belong to which class descriptor. Descriptions are static objects of
// modules and may be built before their descriptor is: nothing here touches the descriptor.
#include <vector>

class ClassDesc2;
class ParamBlockDesc2;

namespace pb2 {

void AddDesc(ClassDesc2* cd, ParamBlockDesc2* pbd);
void RemoveDesc(ClassDesc2* cd, ParamBlockDesc2* pbd);
// In registration order; empty for an unknown descriptor.
const std::vector<ParamBlockDesc2*>& DescsOf(ClassDesc2* cd);
void ForgetClass(ClassDesc2* cd);

}  // namespace pb2
