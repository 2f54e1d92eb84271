#pragma once
// What the module exports: the host's entry points, the lock classes and the map class
// (programs that link the module, such as its tests, import them).
#if defined(_WIN32)
#if defined(KELVANE_MODULE_BUILD)
#define KELVANE_EXPORT __declspec(dllexport)
#else
#define KELVANE_EXPORT __declspec(dllimport)
#endif
#else
#define KELVANE_EXPORT __attribute__((visibility("default")))
#endif
