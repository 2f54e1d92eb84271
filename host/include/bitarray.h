#pragma once
#include <vector>
#include "maxheap.h"

class BitArray : public MaxHeapOperators {
 public:
  BitArray() = default;
  explicit BitArray(int n) { SetSize(n); }
  void SetSize(int n, int save = 0) {
    if (!save) bits.clear();
    bits.resize(n < 0 ? 0 : size_t(n), false);
  }
  int GetSize() const { return int(bits.size()); }
  void ClearAll() { std::fill(bits.begin(), bits.end(), false); }
  void SetAll() { std::fill(bits.begin(), bits.end(), true); }
  void Set(int i) {
    if (Valid(i)) bits[size_t(i)] = true;
  }
  void Set(int i, int b) {
    if (Valid(i)) bits[size_t(i)] = b != 0;
  }
  void Clear(int i) {
    if (Valid(i)) bits[size_t(i)] = false;
  }
  int operator[](int i) const { return Valid(i) && bits[size_t(i)]; }
  int NumberSet() const {
    int n = 0;
    for (bool b : bits) n += b;
    return n;
  }

 private:
  bool Valid(int i) const { return i >= 0 && size_t(i) < bits.size(); }
  std::vector<bool> bits;
};
