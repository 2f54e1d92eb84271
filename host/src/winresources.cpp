#include <dlfcn.h>

#include <cwchar>
#include <map>
#include <mutex>

#include "WindowsDefines.h"
#include "winresources.h"

namespace {
struct Registry {
  std::mutex lock;
  std::map<HINSTANCE, std::map<unsigned, const wchar_t*>> tables;
};
// Function-local: modules register during their own static initialisation.
Registry& TheRegistry() {
  static Registry registry;
  return registry;
}
}  // namespace

HINSTANCE ModuleHandleFromAddress(const void* addressInModule) {
  Dl_info info;
  if (!dladdr(addressInModule, &info)) return nullptr;
  return static_cast<HINSTANCE>(info.dli_fbase);
}

bool RegisterModuleStrings(const void* addressInModule, const ModuleString* table, int count) {
  HINSTANCE module = ModuleHandleFromAddress(addressInModule);
  if (!module) return false;
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> hold(r.lock);
  auto& strings = r.tables[module];
  strings.clear();  // a module loaded again at the same address replaces its old table
  for (int i = 0; i < count; ++i) strings[table[i].id] = table[i].text;
  return true;
}

int LoadStringW(HINSTANCE hInstance, UINT uID, wchar_t* lpBuffer, int cchBufferMax) {
  if (!lpBuffer || cchBufferMax <= 0) return 0;
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> hold(r.lock);
  auto module = r.tables.find(hInstance);
  if (module == r.tables.end()) return 0;
  auto it = module->second.find(uID);
  if (it == module->second.end()) {
    lpBuffer[0] = L'\0';
    return 0;
  }
  size_t n = std::wcslen(it->second);
  if (n > size_t(cchBufferMax - 1)) n = size_t(cchBufferMax - 1);
  std::wmemcpy(lpBuffer, it->second, n);
  lpBuffer[n] = L'\0';
  return int(n);
}
