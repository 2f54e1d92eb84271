#pragma once
// The Win32 integer types with their Windows widths on every platform: DWORD and ULONG are
// 32 bits (unsigned long is not, on Linux).
#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cstddef>
#include <cstdint>

typedef int BOOL;
typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef unsigned short USHORT;
typedef uint32_t DWORD;
typedef uint32_t ULONG;
typedef int32_t LONG;
typedef unsigned int UINT;
typedef int INT;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t DWORD_PTR;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef void* HANDLE;
typedef struct HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
typedef struct HWND__* HWND;
typedef wchar_t WCHAR;
typedef wchar_t* LPWSTR;
typedef const wchar_t* LPCWSTR;
typedef void* LPVOID;

#define WINAPI
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#ifndef __cdecl
#define __cdecl
#endif
#include "winsync.h"
#endif

static_assert(sizeof(DWORD) == 4 && sizeof(ULONG) == 4 && sizeof(WORD) == 2, "Win32 widths");

typedef wchar_t MCHAR;
#ifndef _M
#define _M(x) L##x
#endif
#ifndef _T
#define _T(x) L##x
#endif

#if !defined(_WIN32)
// The few Win32 calls the plug-in makes outside its user interface, supplied by the host.
#include "winresources.h"
#endif
