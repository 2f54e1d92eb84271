#pragma once
// How the lock classes are declared: exported by the plug-in module, imported by another
// Windows module that uses them, plain when linked statically (tests).
#if defined(KELVANE_MODULE_BUILD)
#if defined(_WIN32)
#define OSMNG_API __declspec(dllexport)
#else
#define OSMNG_API __attribute__((visibility("default")))
#endif
#elif defined(_WIN32) && defined(KELVANE_OSMNG_IMPORT)
#define OSMNG_API __declspec(dllimport)
#else
#define OSMNG_API
#endif
