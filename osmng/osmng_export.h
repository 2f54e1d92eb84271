#pragma once
// How the lock classes are declared: exported by the plug-in module, imported by another
// Windows module that uses them, plain when linked statically (tests).
#include "portability.h"

#if defined(KELVANE_MODULE_BUILD)
#define OSMNG_API KELVANE_DLL_EXPORT
#elif defined(_WIN32) && defined(KELVANE_OSMNG_IMPORT)
#define OSMNG_API KELVANE_DLL_IMPORT
#else
#define OSMNG_API
#endif
