#include "critical_section.h"

namespace OsMng {

CCriticalSection::CCriticalSection() {
  InitializeCriticalSection(&section);
}

CCriticalSection::~CCriticalSection() {
  DeleteCriticalSection(&section);
}

void CCriticalSection::lock() {
  EnterCriticalSection(&section);
}

void CCriticalSection::unlock() {
  LeaveCriticalSection(&section);
}

bool CCriticalSection::trylock() {
  return TryEnterCriticalSection(&section) != FALSE;
}

}  // namespace OsMng
