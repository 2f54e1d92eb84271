#include "common/quoted.h"

std::string Excerpt(const std::string& text, size_t keep) {
  std::string out;
  for (size_t i = 0; i < text.size() && i < keep; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    out += c < 0x20 || c == 0x7F ? '?' : char(c);
  }
  if (text.size() > keep) out += "...";
  return out;
}

std::string Quoted(const std::string& text, size_t keep) {
  std::string out = "\"" + Excerpt(text, keep) + "\"";
  if (text.size() > keep) out += " (" + std::to_string(text.size()) + " characters)";
  return out;
}
