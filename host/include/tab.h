#pragma once
#include "WindowsDefines.h"
#include <algorithm>
#include <cstdlib>
#include <vector>
#include "MaxExceptions.h"
#include "maxheap.h"

// The host's growable array. An invalid index throws OutOfRangeException.
template <class T>
class Tab : public MaxHeapOperators {
 public:
  typedef int(__cdecl* CompareFnc)(const void*, const void*);

  Tab() = default;
  Tab(const Tab& other) = default;
  virtual ~Tab() = default;
  Tab& operator=(const Tab& other) = default;

  void Init() { items.clear(); }
  int Count() const { return int(items.size()); }
  void ZeroCount() { items.clear(); }
  void SetCount(int n, BOOL /*resize*/ = TRUE) { items.resize(n < 0 ? 0 : size_t(n)); }
  T* Addr(const INT_PTR i) const {
    Check(i);
    return const_cast<T*>(items.data()) + i;
  }
  int Insert(int at, int num, T* el) {
    if (at < 0 || at > Count()) at = Count();
    items.insert(items.begin() + at, el, el + num);
    return at;
  }
  int Append(int num, T* el, int allocExtra = 0) {
    int at = Count();
    size_t need = items.size() + size_t(num);
    if (items.capacity() < need)
      items.reserve(std::max(need + size_t(allocExtra > 0 ? allocExtra : 0), 2 * items.capacity()));
    items.insert(items.end(), el, el + num);
    return at;
  }
  int Delete(int start, int num) {
    if (start < 0 || num <= 0 || start >= Count()) return Count();
    int stop = std::min(Count(), start + num);
    items.erase(items.begin() + start, items.begin() + stop);
    return Count();
  }
  int Resize(int num) {
    items.reserve(num < 0 ? 0 : size_t(num));
    return 1;
  }
  void Shrink() { items.shrink_to_fit(); }
  void Sort(CompareFnc cmp) { std::qsort(items.data(), items.size(), sizeof(T), cmp); }

  T& operator[](const INT_PTR i) const {
    Check(i);
    return const_cast<T&>(items[size_t(i)]);
  }
  T* begin() { return items.data(); }
  const T* begin() const { return items.data(); }
  T* end() { return items.data() + items.size(); }
  const T* end() const { return items.data() + items.size(); }

 private:
  void Check(INT_PTR i) const {
    if (i < 0 || i >= INT_PTR(items.size()))
      throw MaxSDK::Util::OutOfRangeException(
          _M("Invalid index passed into a Max SDK Tab::operator[]"));
  }
  std::vector<T> items;
};

typedef Tab<DWORD> DWORDTab;
typedef Tab<int> IntTab;
