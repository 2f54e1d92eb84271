#include "module.h"
#include "module_export.h"
#include "module_startup.h"

HINSTANCE hInstance = nullptr;

namespace {
bool started = false;
}

extern "C" KELVANE_EXPORT BOOL WINAPI DllMain(HINSTANCE hinstDLL, DWORD /*reason*/,
                                              LPVOID /*reserved*/) {
  // Every call refreshes the handle (thread attach included); the start-up work runs once.
  hInstance = hinstDLL;
  if (!started) {
    started = true;
    StartModuleUserInterface(hinstDLL);
  }
  return TRUE;
}
