// Kernel mutexes and critical sections with their Win32 meanings, for builds that are not
// Windows. Everything here is made and destroyed inside the host library.
#include "winsync.h"

#if !defined(_WIN32)
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

class KernelMutex;

// The mutexes one thread owns, linked through the mutexes themselves so that acquiring one
// never allocates. Its address identifies the thread; when the thread ends, whatever it
// still owns is abandoned, as the kernel does.
struct OwnedMutexes {
  KernelMutex* head = nullptr;
  ~OwnedMutexes();
};

thread_local OwnedMutexes currentThread;

class KernelMutex {
 public:
  explicit KernelMutex(bool initialOwner) {
    if (initialOwner) {
      refs.store(2, std::memory_order_relaxed);
      TakeOwnership(&currentThread);
    }
  }

  DWORD Wait(DWORD milliseconds) {
    OwnedMutexes* self = &currentThread;
    AddRef();  // a handle closed during the wait must not free the mutex under us
    std::unique_lock<std::mutex> hold(guard);
    if (owner == self) {
      ++recursion;
      hold.unlock();
      DropRef();
      return WAIT_OBJECT_0;
    }
    auto isFree = [&] { return owner == nullptr; };
    bool acquired = isFree();
    if (!acquired && milliseconds == INFINITE) {
      freed.wait(hold, isFree);
      acquired = true;
    } else if (!acquired && milliseconds != 0) {
      acquired = freed.wait_for(hold, std::chrono::milliseconds(milliseconds), isFree);
    }
    if (!acquired) {
      hold.unlock();
      DropRef();
      return WAIT_TIMEOUT;
    }
    // The reference taken above now stands for the ownership.
    TakeOwnership(self);
    DWORD result = abandoned ? WAIT_ABANDONED : WAIT_OBJECT_0;
    abandoned = false;
    return result;
  }

  bool Release() {
    OwnedMutexes* self = &currentThread;
    {
      std::lock_guard<std::mutex> hold(guard);
      if (owner != self) return false;
      if (--recursion > 0) return true;
      GiveUpOwnership();
    }
    freed.notify_one();
    DropRef();
    return true;
  }

  // Called by the owning thread as it ends.
  void Abandon() {
    {
      std::lock_guard<std::mutex> hold(guard);
      GiveUpOwnership();
      abandoned = true;
    }
    freed.notify_one();
    DropRef();
  }

  void DropRef() {
    if (refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
  }

 private:
  friend struct OwnedMutexes;

  void AddRef() { refs.fetch_add(1, std::memory_order_relaxed); }

  // Both run under `guard` (or before the mutex is shared); only the owner touches its list.
  void TakeOwnership(OwnedMutexes* self) {
    owner = self;
    recursion = 1;
    previousOwned = nullptr;
    nextOwned = self->head;
    if (nextOwned) nextOwned->previousOwned = this;
    self->head = this;
  }
  void GiveUpOwnership() {
    if (previousOwned) {
      previousOwned->nextOwned = nextOwned;
    } else {
      owner->head = nextOwned;
    }
    if (nextOwned) nextOwned->previousOwned = previousOwned;
    previousOwned = nextOwned = nullptr;
    owner = nullptr;
    recursion = 0;
  }

  std::mutex guard;
  std::condition_variable freed;
  OwnedMutexes* owner = nullptr;
  unsigned long recursion = 0;
  bool abandoned = false;
  KernelMutex* previousOwned = nullptr;
  KernelMutex* nextOwned = nullptr;
  // One for the handle, one for the owner and one per waiting thread.
  std::atomic<long> refs{1};
};

OwnedMutexes::~OwnedMutexes() {
  while (head) head->Abandon();
}

KernelMutex* FromHandle(HANDLE h) {
  return static_cast<KernelMutex*>(h);
}

}  // namespace

// The lock behind a critical section's DebugInfo.
struct RTL_CRITICAL_SECTION_DEBUG {
  std::recursive_mutex lock;
};

extern "C" {

HANDLE WINAPI CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL bInitialOwner, LPCWSTR lpName) {
  // No object namespace here: a name could not be shared, so say the call failed.
  if (lpName) return nullptr;
  // The stand-in's allocations report exhaustion by exception; a Win32 call returns null.
  return new (std::nothrow) KernelMutex(bInitialOwner != FALSE);
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  if (!hHandle) return WAIT_FAILED;
  return FromHandle(hHandle)->Wait(dwMilliseconds);
}

BOOL WINAPI ReleaseMutex(HANDLE hMutex) {
  if (!hMutex) return FALSE;
  return FromHandle(hMutex)->Release() ? TRUE : FALSE;
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
  if (!hObject) return FALSE;
  FromHandle(hObject)->DropRef();
  return TRUE;
}

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION cs) {
  *cs = RTL_CRITICAL_SECTION{};
  cs->DebugInfo = new RTL_CRITICAL_SECTION_DEBUG;
}

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION cs) {
  cs->DebugInfo->lock.lock();
}

BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION cs) {
  return cs->DebugInfo->lock.try_lock() ? TRUE : FALSE;
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION cs) {
  cs->DebugInfo->lock.unlock();
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION cs) {
  delete cs->DebugInfo;
  cs->DebugInfo = nullptr;
}

}  // extern "C"
#endif
