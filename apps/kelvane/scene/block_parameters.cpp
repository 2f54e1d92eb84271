#include "scene/block_parameters.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "common/input_error.h"
#include "common/quoted.h"
#include "scene/host_scene.h"

namespace {

enum class ValueKind { None, Bool, Int, Float };

ValueKind KindOf(const ParamDef& def) {
  if (def.type & TYPE_TAB) return ValueKind::None;
  if (def.flags & (P_OWNERS_REF | P_OBSOLETE)) return ValueKind::None;
  switch (int(def.type)) {
    case TYPE_BOOL:
      return ValueKind::Bool;
    case TYPE_INT:
    case TYPE_RADIOBTN_INDEX:
    case TYPE_INDEX:
      return ValueKind::Int;
    case TYPE_FLOAT:
    case TYPE_ANGLE:
    case TYPE_PCNT_FRAC:
    case TYPE_WORLD:
    case TYPE_COLOR_CHANNEL:
      return ValueKind::Float;
    default:
      return ValueKind::None;
  }
}

// The words of the map's radio choices, as the rollout labels its buttons, in value order.
struct Choice {
  const char* parameter;
  const char* words[3];  // unused places null
  int count() const { return words[2] ? 3 : 2; }
  std::string List() const {
    std::string list;
    for (int i = 0; i < count(); ++i) list += std::to_string(i) + ", ";
    for (int i = 0; i < count(); ++i)
      list += std::string(i == 0 ? "" : i + 1 == count() ? " or " : ", ") + words[i];
    return list;
  }
};
const Choice kChoices[] = {{"conditions", {"And", "Or", nullptr}},
                           {"smooth_eq", {"Equals", "Difference", nullptr}},
                           {"matid_eq", {"Equals", "Difference", nullptr}},
                           {"edge_shape", {"Any", "Convex", "Concave"}},
                           {"bump_mode", {"Ramp", "Round edge", nullptr}}};

const Choice* ChoiceOf(const std::string& parameter) {
  for (const Choice& c : kChoices)
    if (parameter == c.parameter) return &c;
  return nullptr;
}

bool SameWord(const std::string& a, const char* b) {
  return std::equal(a.begin(), a.end(), b, b + std::strlen(b), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

std::string Format(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", v);
  return text;
}

}  // namespace

std::vector<std::string> SettableParameterNames(IParamBlock2* block) {
  std::vector<std::string> names;
  for (int i = 0; i < block->NumParams(); ++i) {
    const ParamDef& def = block->GetParamDef(block->IndextoID(i));
    if (KindOf(def) != ValueKind::None && def.int_name) names.push_back(Narrow(def.int_name));
  }
  return names;
}

std::optional<float> BlockFloat(IParamBlock2* block, const std::string& name) {
  const std::wstring wanted = Widen(name);
  for (int i = 0; i < block->NumParams(); ++i) {
    const ParamID id = block->IndextoID(i);
    const ParamDef& def = block->GetParamDef(id);
    if (def.int_name && wanted == def.int_name && KindOf(def) == ValueKind::Float)
      return block->GetFloat(id, 0);
  }
  return std::nullopt;
}

void SetBlockParameter(IParamBlock2* block, const ParameterSetting& setting) {
  auto fail = [&](const std::string& problem) {
    throw InputError(setting.origin + ": " + problem);
  };
  const std::wstring wanted = Widen(setting.name);
  ParamID id = -1;
  for (int i = 0; i < block->NumParams() && id < 0; ++i) {
    ParamID candidate = block->IndextoID(i);
    const ParamDef& def = block->GetParamDef(candidate);
    if (def.int_name && wanted == def.int_name) id = candidate;
  }
  if (id < 0) {
    std::string known;
    for (const std::string& name : SettableParameterNames(block))
      known += (known.empty() ? "" : ", ") + name;
    fail("unknown parameter " + Quoted(setting.name) + " (the map has: " + known + ")");
  }
  const ParamDef& def = block->GetParamDef(id);
  const ValueKind kind = KindOf(def);
  const std::string name = Quoted(setting.name);
  const bool isBool = std::holds_alternative<bool>(setting.value);
  const Choice* choice = ChoiceOf(setting.name);
  std::variant<bool, double, std::string> value = setting.value;
  if (const auto* word = std::get_if<std::string>(&setting.value)) {
    for (int i = 0; choice && i < choice->count(); ++i)
      if (SameWord(*word, choice->words[i])) value = double(i);
    if (std::holds_alternative<std::string>(value)) {
      const std::string takes = kind == ValueKind::Bool    ? "true or false"
                                : choice                   ? choice->List()
                                : kind == ValueKind::Int   ? "a whole number"
                                : kind == ValueKind::Float ? "a number"
                                                           : "";
      if (kind == ValueKind::None) fail("parameter " + name + " cannot be set to a plain value");
      fail("parameter " + name + " takes " + takes + ", not " + Quoted(*word));
    }
  }
  BOOL ok = FALSE;
  switch (kind) {
    case ValueKind::None:
      fail("parameter " + name + " cannot be set to a plain value");
      break;
    case ValueKind::Bool:
      if (!isBool) fail("parameter " + name + " takes true or false");
      ok = block->SetValue(id, 0, int(std::get<bool>(value)));
      break;
    case ValueKind::Int: {
      if (isBool) fail("parameter " + name + " takes a whole number");
      double v = std::get<double>(value);
      if (v != std::floor(v)) fail("parameter " + name + " takes a whole number, not " + Format(v));
      int low = def.has_range ? def.range_low.i : INT32_MIN,
          high = def.has_range ? def.range_high.i : INT32_MAX;
      if (v < double(low) || v > double(high))
        fail(Format(v) + " is out of range for " + name + " (" + std::to_string(low) + " to " +
             std::to_string(high) + ")");
      ok = block->SetValue(id, 0, int(v));
      break;
    }
    case ValueKind::Float: {
      if (isBool) fail("parameter " + name + " takes a number");
      double v = std::get<double>(value);
      float f = float(v);
      if (!std::isfinite(f)) fail(Format(v) + " is out of range for " + name);
      if (def.has_range && (f < def.range_low.f || f > def.range_high.f))
        fail(Format(v) + " is out of range for " + name + " (" + Format(def.range_low.f) + " to " +
             Format(def.range_high.f) + ")");
      ok = block->SetValue(id, 0, f);
      break;
    }
  }
  if (!ok) fail("the map refused the value of " + name);
}
