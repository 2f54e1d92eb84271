#pragma once
// What the module exports: the host's entry points, the lock classes and the map class
// (programs that link the module, such as its tests, import them).
#include "portability.h"

#if defined(KELVANE_MODULE_BUILD)
#define KELVANE_EXPORT KELVANE_DLL_EXPORT
#else
#define KELVANE_EXPORT KELVANE_DLL_IMPORT
#endif
