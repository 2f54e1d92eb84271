#include "scene/json_field.h"

#include <cmath>
#include <cstdio>

#include "common/input_error.h"
#include "common/quoted.h"

namespace {

// Coordinates and colours become floats; larger values would turn into infinities.
constexpr double kLargest = 1e30;

// Numbers in messages as the user would write them: 0.5, not 0.500000.
std::string FormatNumber(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", v);
  return text;
}

}  // namespace

void JsonField::Fail(const std::string& problem) const {
  throw InputError(Where() + ": " + problem);
}

std::string JsonField::Where() const {
  return path.empty() ? file : file + ": " + path;
}

void JsonField::ExpectObject() const {
  if (!value.is_object()) Fail("must be an object ({...})");
}

bool JsonField::Has(const char* key) const {
  return value.is_object() && value.contains(key);
}

JsonField JsonField::Key(const char* key) const {
  ExpectObject();
  auto it = value.find(key);
  if (it == value.end()) Fail(std::string("\"") + key + "\" is missing");
  return JsonField(*it, file, path.empty() ? key : path + "." + key);
}

std::optional<JsonField> JsonField::OptionalKey(const char* key) const {
  if (!Has(key)) return std::nullopt;
  return Key(key);
}

void JsonField::AllowKeys(std::initializer_list<const char*> keys) const {
  ExpectObject();
  for (auto it = value.begin(); it != value.end(); ++it) {
    bool known = false;
    for (const char* k : keys) known |= it.key() == k;
    if (!known) {
      std::string list;
      for (const char* k : keys) list += std::string(list.empty() ? "" : ", ") + k;
      Fail("unknown key " + Quoted(it.key()) + " (expected " + list + ")");
    }
  }
}

size_t JsonField::ArraySize() const {
  if (!value.is_array()) Fail("must be a list ([...])");
  return value.size();
}

JsonField JsonField::Item(size_t i) const {
  ArraySize();
  return JsonField(value[i], file, path + "[" + std::to_string(i) + "]");
}

bool JsonField::Bool() const {
  if (!value.is_boolean()) Fail("must be true or false");
  return value.get<bool>();
}

double JsonField::Number() const {
  if (!value.is_number()) Fail("must be a number");
  double v = value.get<double>();
  if (!std::isfinite(v)) Fail("must be a finite number");
  return v;
}

double JsonField::NumberIn(double low, double high) const {
  double v = Number();
  if (v < low || v > high)
    Fail(FormatNumber(v) + " is out of range (" + FormatNumber(low) + " to " + FormatNumber(high) +
         ")");
  return v;
}

long long JsonField::Integer(long long low, long long high) const {
  double v = Number();
  if (v != std::floor(v)) Fail("must be a whole number");
  if (v < double(low) || v > double(high))
    Fail(FormatNumber(v) + " is out of range (" + std::to_string(low) + " to " +
         std::to_string(high) + ")");
  return (long long)v;
}

std::string JsonField::String() const {
  if (!value.is_string()) Fail("must be a string");
  return value.get<std::string>();
}

Point3 JsonField::Vector3() const {
  if (ArraySize() != 3) Fail("must be a list of 3 numbers");
  return Point3(Item(0).NumberIn(-kLargest, kLargest), Item(1).NumberIn(-kLargest, kLargest),
                Item(2).NumberIn(-kLargest, kLargest));
}

AColor JsonField::Color(float defaultAlpha) const {
  size_t n = ArraySize();
  if (n != 3 && n != 4) Fail("must be a list of 3 or 4 numbers (r, g, b[, a])");
  auto channel = [&](size_t i) { return float(Item(i).NumberIn(-kLargest, kLargest)); };
  return AColor(channel(0), channel(1), channel(2), n == 4 ? channel(3) : defaultAlpha);
}
