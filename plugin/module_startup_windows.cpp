#include "module_startup.h"

#include <commctrl.h>
#include "ramp_control_class.h"

namespace {
// mingw-w64 has no isolation-aware wrappers: activate the module's own manifest (resource 2,
// common controls 6) around the calls that must see it.
class ModuleActivationContext {
 public:
  explicit ModuleActivationContext(HINSTANCE module) {
    ACTCTXW actctx = {};
    actctx.cbSize = sizeof(actctx);
    actctx.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    actctx.hModule = module;
    actctx.lpResourceName = MAKEINTRESOURCEW(2);
    context = CreateActCtxW(&actctx);
    if (context != INVALID_HANDLE_VALUE && !ActivateActCtx(context, &cookie)) cookie = 0;
  }
  ~ModuleActivationContext() {
    if (cookie) DeactivateActCtx(0, cookie);
    if (context != INVALID_HANDLE_VALUE) ReleaseActCtx(context);
  }
  ModuleActivationContext(const ModuleActivationContext&) = delete;
  ModuleActivationContext& operator=(const ModuleActivationContext&) = delete;

 private:
  HANDLE context = INVALID_HANDLE_VALUE;
  ULONG_PTR cookie = 0;
};
}  // namespace

void StartModuleUserInterface(HINSTANCE module) {
  ModuleActivationContext activate(module);
  InitCommonControls();
  RegisterRampControlClass();
}
