// Natively nothing calls a module's DllMain: this hook does, once the module is loaded, with
// the module's base address as its instance handle (the handle the host's string loader
// knows it by).
#include "WindowsDefines.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE hinstDLL, DWORD reason, LPVOID reserved);

namespace {
__attribute__((constructor)) void AttachModule() {
  DllMain(ModuleHandleFromAddress(reinterpret_cast<const void*>(&DllMain)), DLL_PROCESS_ATTACH,
          nullptr);
}
}  // namespace
