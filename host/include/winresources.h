#pragma once
// Natively, the Win32 string-resource call with its Windows meaning. A module's string table
// is compiled into it from its resource script and registers itself at load time; the
// module's instance handle is the base address it was loaded at.
#if !defined(_WIN32)
#include "WindowsDefines.h"
#include "hostexport.h"

struct ModuleString {
  unsigned id;
  const wchar_t* text;
};

// Called from a module's static initialisation with any address inside that module.
HOST_API bool RegisterModuleStrings(const void* addressInModule, const ModuleString* table,
                                    int count);
// The instance handle of the module that holds an address.
HOST_API HINSTANCE ModuleHandleFromAddress(const void* addressInModule);

// Copies string id of the module into buffer (at most bufferMax - 1 characters, always
// terminated); returns the number of characters copied, 0 when the string does not exist.
HOST_API int LoadStringW(HINSTANCE hInstance, UINT uID, wchar_t* lpBuffer, int cchBufferMax);
#endif
