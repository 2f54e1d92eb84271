#include "scene/json_error.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "common/quoted.h"

namespace {

// Reads the text again, building nothing, only to learn where and why reading stops.
class ErrorLocator : public nlohmann::json_sax<nlohmann::json> {
 public:
  size_t position = 0;
  std::string token;
  std::string what;
  int id = 0;

  bool null() override { return true; }
  bool boolean(bool) override { return true; }
  bool number_integer(number_integer_t) override { return true; }
  bool number_unsigned(number_unsigned_t) override { return true; }
  bool number_float(number_float_t, const string_t&) override { return true; }
  bool string(string_t&) override { return true; }
  bool binary(binary_t&) override { return true; }
  bool start_object(std::size_t) override { return true; }
  bool key(string_t&) override { return true; }
  bool end_object() override { return true; }
  bool start_array(std::size_t) override { return true; }
  bool end_array() override { return true; }
  bool parse_error(std::size_t at, const std::string& last,
                   const nlohmann::json::exception& e) override {
    position = at;
    token = last;
    what = e.what();
    id = e.id;
    return false;
  }
};

// nlohmann's message without its "[json.exception...]" prefix and its own position.
std::string Problem(const std::string& what) {
  std::string problem = what.substr(std::min(what.find("] ") + 2, what.size()));
  if (problem.rfind("parse error", 0) == 0) problem = problem.substr(problem.find(": ") + 2);
  return problem;
}

}  // namespace

std::string DescribeJsonError(const std::string& text, const std::string& source) {
  ErrorLocator locator;
  nlohmann::json::sax_parse(text, &locator);
  // position counts characters read, the one that stopped reading included; a number too
  // large is pointed at where it starts.
  size_t at = std::min(locator.position, text.size());
  if (locator.id == 406 && at >= locator.token.size()) at -= locator.token.size() - 1;
  const size_t before = at > 0 ? at - 1 : 0;
  const size_t line = 1 + size_t(std::count(text.begin(), text.begin() + long(before), '\n'));
  const size_t lineStart = text.rfind('\n', before == 0 ? 0 : before - 1);
  const size_t column = lineStart == std::string::npos || before == 0 ? at : at - lineStart - 1;
  std::string where =
      source + ": line " + std::to_string(line) + ", column " + std::to_string(column) + ": ";
  if (locator.id == 406) return where + "the number " + Quoted(locator.token) + " is too large";
  if (locator.what.empty()) return where + "malformed JSON";
  std::string problem = Problem(locator.what);
  const size_t last = problem.find("; last read: ");
  if (last != std::string::npos)
    problem = problem.substr(0, last) + "; last read: " + Quoted(locator.token);
  return where + "malformed JSON: " + problem;
}
