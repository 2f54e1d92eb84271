#pragma once
#include <optional>
#include <string>
#include <vector>

#include "iparamb2.h"
#include "scene/scene_description.h"

// Sets a parameter of a block by its internal name, the way a script would: the value must
// have the parameter's type (true/false for a boolean, a whole number for an integer or a
// radio index, a number for a float) and lie in its declared range; the block would clamp,
// we refuse. Throws InputError starting with setting.origin.
void SetBlockParameter(IParamBlock2* block, const ParameterSetting& setting);

// The value of a float parameter by its internal name at time 0; none when the block has no
// float parameter of that name.
std::optional<float> BlockFloat(IParamBlock2* block, const std::string& name);

// The internal names of the parameters SetBlockParameter accepts, in declaration order.
std::vector<std::string> SettableParameterNames(IParamBlock2* block);
