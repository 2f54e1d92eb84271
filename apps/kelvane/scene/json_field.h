#pragma once
#include <initializer_list>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "acolor.h"
#include "point3.h"

// A value of a JSON document with the way to it ("nodes[2].mesh.faces[5]"), so every
// complaint names the file and the place. Readers throw InputError.
class JsonField {
 public:
  JsonField(const nlohmann::json& value, std::string file, std::string path)
      : value(value), file(std::move(file)), path(std::move(path)) {}

  [[noreturn]] void Fail(const std::string& problem) const;
  const std::string& Path() const { return path; }
  // "file: path", the prefix of every message about this value.
  std::string Where() const;
  const nlohmann::json& Raw() const { return value; }

  // Objects. Key() fails when the key is missing; AllowKeys fails on any key not listed.
  bool IsObject() const { return value.is_object(); }
  void ExpectObject() const;
  bool Has(const char* key) const;
  JsonField Key(const char* key) const;
  std::optional<JsonField> OptionalKey(const char* key) const;
  void AllowKeys(std::initializer_list<const char*> keys) const;

  // Arrays.
  bool IsArray() const { return value.is_array(); }
  size_t ArraySize() const;  // fails when not an array
  JsonField Item(size_t i) const;

  bool IsBool() const { return value.is_boolean(); }
  bool IsNumber() const { return value.is_number(); }
  bool IsString() const { return value.is_string(); }
  bool Bool() const;
  double Number() const;  // finite
  double NumberIn(double low, double high) const;
  long long Integer(long long low, long long high) const;
  std::string String() const;

  // [x, y, z], finite.
  Point3 Vector3() const;
  // [r, g, b] or [r, g, b, a]; a missing alpha is defaultAlpha.
  AColor Color(float defaultAlpha) const;

 private:
  const nlohmann::json& value;
  std::string file;
  std::string path;
};
