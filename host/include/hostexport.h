#pragma once
// Import/export spelling of the host's libraries. The SDK marks its classes CoreExport,
// UtilExport, GEOMEXPORT, DllExport or PolyLibExport; in this stand-in they all live in
// one host library.
#if defined(_WIN32)
#if defined(host_EXPORTS)
#define HOST_API __declspec(dllexport)
#else
#define HOST_API __declspec(dllimport)
#endif
#else
#define HOST_API __attribute__((visibility("default")))
#endif

#define CoreExport HOST_API
#define UtilExport HOST_API
#define GEOMEXPORT HOST_API
#define DllExport HOST_API
#define PolyLibExport HOST_API
#define BMMExport HOST_API
#define PB2Export HOST_API
