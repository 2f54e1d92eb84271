#include "module.h"

const MCHAR* GetString(int id) {
  static MCHAR buffer[512];
  if (!hInstance) return nullptr;
  return LoadStringW(hInstance, UINT(id), buffer, int(sizeof(buffer) / sizeof(buffer[0])))
             ? buffer
             : nullptr;
}
