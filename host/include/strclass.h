#pragma once
// The host's wide string, MSTR. Its buffer lives on the host's side, so strings pass between
// the host and a module by value without either freeing the other's memory.
#include "WindowsDefines.h"
#include "hostexport.h"
#include "maxheap.h"

class UtilExport WStr : public MaxHeapOperators {
 public:
  WStr();
  WStr(const wchar_t* s);  // NOLINT: implicit, as in the SDK
  WStr(const WStr& s);
  WStr(WStr&& s) noexcept;
  ~WStr();
  WStr& operator=(const WStr& s);
  WStr& operator=(WStr&& s) noexcept;
  WStr& operator=(const wchar_t* s);

  int Length() const { return len; }
  int length() const { return len; }
  bool isNull() const { return len == 0; }
  // Never null: an empty string is "".
  const wchar_t* data() const { return buf ? buf : L""; }
  operator const wchar_t*() const { return data(); }  // NOLINT: as in the SDK
  wchar_t operator[](int i) const { return data()[i]; }

  WStr& operator+=(const WStr& s);
  WStr operator+(const WStr& s) const;
  bool operator==(const WStr& s) const;
  bool operator==(const wchar_t* s) const;
  bool operator!=(const WStr& s) const { return !(*this == s); }
  bool operator!=(const wchar_t* s) const { return !(*this == s); }
  bool operator<(const WStr& s) const;

 private:
  void Assign(const wchar_t* s, int n);
  wchar_t* buf = nullptr;
  int len = 0;
};

typedef WStr MSTR;
typedef WStr TSTR;
