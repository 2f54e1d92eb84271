#pragma once
#include "maxheap.h"
#include "maxtypes.h"

// The host's validity interval. Empty is [NegInfinity, NegInfinity].
class Interval : public MaxHeapOperators {
  TimeValue start, end;

 public:
  Interval(TimeValue s, TimeValue e) {
    if (e < s) {
      start = e;
      end = s;
    } else {
      start = s;
      end = e;
    }
  }
  Interval() { SetEmpty(); }
  int operator==(const Interval& i) const { return start == i.start && end == i.end; }
  bool operator!=(const Interval& i) const { return !(*this == i); }
  int InInterval(const TimeValue t) const { return !Empty() && t >= start && t <= end; }
  int InInterval(const Interval i) const { return InInterval(i.start) && InInterval(i.end); }
  int Empty() const { return start == TIME_NegInfinity && end == TIME_NegInfinity; }
  bool IsInfinite() const { return start == TIME_NegInfinity && end == TIME_PosInfinity; }
  void Set(TimeValue s, TimeValue e) { *this = Interval(s, e); }
  void SetStart(TimeValue s) { start = s; }
  void SetEnd(TimeValue e) { end = e; }
  void SetEmpty() { start = end = TIME_NegInfinity; }
  void SetInfinite() {
    start = TIME_NegInfinity;
    end = TIME_PosInfinity;
  }
  void SetInstant(const TimeValue t) { start = end = t; }
  TimeValue Start() const { return start; }
  TimeValue End() const { return end; }
  TimeValue Duration() const { return end - start + 1; }
  Interval operator&(const Interval i) const {
    if (Empty() || i.Empty()) return Interval();
    TimeValue s = start > i.start ? start : i.start;
    TimeValue e = end < i.end ? end : i.end;
    if (e < s) return Interval();
    Interval r;
    r.start = s;
    r.end = e;
    return r;
  }
  Interval& operator&=(const Interval i) { return *this = *this & i; }
};

#define FOREVER Interval(TIME_NegInfinity, TIME_PosInfinity)
#define NEVER Interval(TIME_NegInfinity, TIME_NegInfinity)
