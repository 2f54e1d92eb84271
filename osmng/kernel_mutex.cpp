#include "kernel_mutex.h"

namespace OsMng {

CMutex::CMutex() {
  hMutex = CreateMutexW(nullptr, FALSE, nullptr);
}

CMutex::~CMutex() {
  CloseHandle(hMutex);
}

void CMutex::lock() {
  // An abandoned wait still hands over ownership, so either result leaves the lock held.
  WaitForSingleObject(hMutex, INFINITE);
}

void CMutex::unlock() {
  ReleaseMutex(hMutex);
}

bool CMutex::trylock() {
  // The kernel grants ownership with WAIT_ABANDONED too; reporting false then would leave the
  // lock held by a caller that never unlocks it.
  DWORD result = WaitForSingleObject(hMutex, 0);
  return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

}  // namespace OsMng
