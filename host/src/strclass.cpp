#include "strclass.h"

#include <cwchar>
#include <utility>

WStr::WStr() = default;
WStr::WStr(const wchar_t* s) {
  if (s) Assign(s, int(std::wcslen(s)));
}
WStr::WStr(const WStr& s) {
  Assign(s.buf, s.len);
}
WStr::WStr(WStr&& s) noexcept : buf(std::exchange(s.buf, nullptr)), len(std::exchange(s.len, 0)) {}
WStr::~WStr() {
  delete[] buf;
}

WStr& WStr::operator=(const WStr& s) {
  if (this != &s) Assign(s.buf, s.len);
  return *this;
}
WStr& WStr::operator=(WStr&& s) noexcept {
  std::swap(buf, s.buf);
  std::swap(len, s.len);
  return *this;
}
WStr& WStr::operator=(const wchar_t* s) {
  // s may point into this string's own buffer.
  WStr copy(s);
  return *this = std::move(copy);
}

void WStr::Assign(const wchar_t* s, int n) {
  wchar_t* fresh = nullptr;
  if (s && n > 0) {
    fresh = new wchar_t[size_t(n) + 1];
    std::wmemcpy(fresh, s, size_t(n));
    fresh[n] = L'\0';
  } else {
    n = 0;
  }
  delete[] buf;
  buf = fresh;
  len = n;
}

WStr& WStr::operator+=(const WStr& s) {
  if (s.len == 0) return *this;
  int n = len + s.len;
  wchar_t* fresh = new wchar_t[size_t(n) + 1];
  std::wmemcpy(fresh, data(), size_t(len));
  std::wmemcpy(fresh + len, s.data(), size_t(s.len));
  fresh[n] = L'\0';
  delete[] buf;
  buf = fresh;
  len = n;
  return *this;
}
WStr WStr::operator+(const WStr& s) const {
  WStr out(*this);
  out += s;
  return out;
}
bool WStr::operator==(const WStr& s) const {
  return len == s.len && std::wmemcmp(data(), s.data(), size_t(len)) == 0;
}
bool WStr::operator==(const wchar_t* s) const {
  return std::wcscmp(data(), s ? s : L"") == 0;
}
bool WStr::operator<(const WStr& s) const {
  return std::wcscmp(data(), s.data()) < 0;
}
