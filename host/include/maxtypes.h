#pragma once
#include "WindowsDefines.h"
#include "maxheap.h"

typedef int TimeValue;
#define TIME_TICKSPERSEC 4800
#define TIME_PosInfinity TimeValue(0x7fffffff)
#define TIME_NegInfinity TimeValue(0x80000000)

typedef ULONG SClass_ID;
typedef unsigned short MtlID;

class Class_ID : public MaxHeapOperators {
  ULONG a, b;

 public:
  // constexpr: class ID constants are then made before any code runs, whatever the order of
  // static initialisation.
  constexpr Class_ID() : a(0xffffffff), b(0xffffffff) {}
  constexpr Class_ID(ULONG aa, ULONG bb) : a(aa), b(bb) {}
  ULONG PartA() const { return a; }
  ULONG PartB() const { return b; }
  void SetPartA(ULONG aa) { a = aa; }
  void SetPartB(ULONG bb) { b = bb; }
  int operator==(const Class_ID& c) const { return a == c.a && b == c.b; }
  int operator!=(const Class_ID& c) const { return !(*this == c); }
  bool operator<(const Class_ID& c) const { return a < c.a || (a == c.a && b < c.b); }
};

class BMM_Color_64 : public MaxHeapOperators {
 public:
  WORD r, g, b, a;
  BMM_Color_64(WORD vr = 0, WORD vg = 0, WORD vb = 0, WORD va = 0) : r(vr), g(vg), b(vb), a(va) {}
};

enum IOResult { IO_OK = 0, IO_END = 1, IO_ERROR = 2 };
enum ChunkType { NEW_CHUNK = 0, CONTAINER_CHUNK = 1, DATA_CHUNK = 2 };
