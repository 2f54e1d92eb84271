#pragma once
// The Win32 kernel mutex and critical-section calls, for builds that are not Windows. Windows
// builds get the real ones from <windows.h>; here the host runtime supplies them with the
// same names, types, constants and meanings, so portable code calls them without an #ifdef.
#include "WindowsDefines.h"

#if !defined(_WIN32)
#include "hostexport.h"

#ifndef WINAPI
#define WINAPI
#endif

#define INFINITE ((DWORD)0xFFFFFFFF)
#define WAIT_OBJECT_0 ((DWORD)0x00000000)
#define WAIT_ABANDONED ((DWORD)0x00000080)
#define WAIT_TIMEOUT ((DWORD)0x00000102)
#define WAIT_FAILED ((DWORD)0xFFFFFFFF)

typedef void* LPVOID;
typedef const wchar_t* LPCWSTR;

typedef struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *PSECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

// Laid out as on Windows. The host keeps its lock behind DebugInfo, which it allocates in
// InitializeCriticalSection and frees in DeleteCriticalSection, so the lock is made and
// destroyed on the host's side whoever owns the record; the other fields stay zero.
struct RTL_CRITICAL_SECTION_DEBUG;
typedef RTL_CRITICAL_SECTION_DEBUG* PRTL_CRITICAL_SECTION_DEBUG;
typedef struct RTL_CRITICAL_SECTION {
  PRTL_CRITICAL_SECTION_DEBUG DebugInfo;
  LONG LockCount;
  LONG RecursionCount;
  HANDLE OwningThread;
  HANDLE LockSemaphore;
  ULONG_PTR SpinCount;
} RTL_CRITICAL_SECTION, *PRTL_CRITICAL_SECTION;
typedef RTL_CRITICAL_SECTION CRITICAL_SECTION;
typedef PRTL_CRITICAL_SECTION LPCRITICAL_SECTION;

extern "C" {

// A recursive mutex owned by the thread that acquired it. A thread that ends while owning it
// abandons it: the next wait that acquires it reports WAIT_ABANDONED (and owns it). Named
// mutexes are not supported (null is returned). A handle stays usable until CloseHandle;
// the mutex itself lives on while a thread owns it or waits on it.
HOST_API HANDLE WINAPI CreateMutexW(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner,
                                    LPCWSTR lpName);
// WAIT_OBJECT_0 or WAIT_ABANDONED when acquired, WAIT_TIMEOUT, or WAIT_FAILED for a null
// handle. A time-out of 0 never blocks; INFINITE never times out.
HOST_API DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
// FALSE when the calling thread does not own the mutex.
HOST_API BOOL WINAPI ReleaseMutex(HANDLE hMutex);
HOST_API BOOL WINAPI CloseHandle(HANDLE hObject);

// Recursive for the owning thread; TryEnterCriticalSection never blocks.
HOST_API void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
HOST_API void WINAPI EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
HOST_API BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
HOST_API void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
HOST_API void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection);

}  // extern "C"
#endif
