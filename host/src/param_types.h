#pragma once
// What the host's parameter blocks store for each parameter type.
#include "iparamb2.h"

namespace pb2 {

inline int Base(int type) {
  return type & ~(TYPE_TAB | TYPE_BY_REF | TYPE_BY_VAL | TYPE_BY_PTR);
}
inline bool IsTab(int type) {
  return (type & TYPE_TAB) != 0;
}
inline bool IsFloat(int type) {
  int b = Base(type);
  return b == TYPE_FLOAT || b == TYPE_ANGLE || b == TYPE_PCNT_FRAC || b == TYPE_WORLD ||
         b == TYPE_COLOR_CHANNEL;
}
inline bool IsInt(int type) {
  int b = Base(type);
  return b == TYPE_INT || b == TYPE_BOOL || b == TYPE_TIMEVALUE || b == TYPE_RADIOBTN_INDEX ||
         b == TYPE_INDEX;
}
inline bool IsRef(int type) {
  int b = Base(type);
  return b == TYPE_TEXMAP || b == TYPE_MTL || b == TYPE_INODE || b == TYPE_REFTARG;
}
// Types this host builds blocks for; the by-reference/value/pointer variants are scripting's.
inline bool IsSupported(int type) {
  return (type & (TYPE_BY_REF | TYPE_BY_VAL | TYPE_BY_PTR)) == 0 &&
         (IsFloat(type) || IsInt(type) || IsRef(type));
}

}  // namespace pb2
