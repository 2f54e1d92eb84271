// Loading plug-in modules as the application does at start-up: the system loader maps the
// module (its static objects are built then, descriptions registering with descriptors), the
// version is checked, LibInitialize runs, and every class descriptor enters the directory.
#include <algorithm>
#include <string>
#include <vector>

#include "host_undo.h"
#include "plugin_loader.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

struct PluginData {
  std::wstring path;
  std::wstring description;
  ULONG version = 0;
  void* module = nullptr;  // HMODULE or the dlopen handle
  HINSTANCE handle = nullptr;
  std::vector<ClassDesc*> classes;
  int (*shutdown)() = nullptr;
};

namespace {

typedef const MCHAR* (*LibDescriptionFn)();
typedef int (*LibNumberClassesFn)();
typedef ClassDesc* (*LibClassDescFn)(int);
typedef ULONG (*LibVersionFn)();
typedef int (*LibInitializeFn)();
typedef int (*LibShutdownFn)();

std::vector<PluginLibrary*>& Loaded() {
  static auto* loaded = new std::vector<PluginLibrary*>;
  return *loaded;
}

#if defined(_WIN32)
std::wstring SystemPath(const MCHAR* path) {
  std::wstring p(path);
  std::replace(p.begin(), p.end(), L'/', L'\\');  // LoadLibraryW wants backslashes
  return p;
}
bool Exists(const std::wstring& p) {
  return GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES;
}
void* Open(const std::wstring& p, std::wstring& error) {
  HMODULE m = LoadLibraryW(p.c_str());
  if (!m) error = L"LoadLibraryW failed with error " + std::to_wstring(GetLastError());
  return m;
}
void* Symbol(void* module, const char* name) {
  // Through void(*)(): GetProcAddress's type matches no export's.
  return reinterpret_cast<void*>(
      reinterpret_cast<void (*)()>(GetProcAddress(static_cast<HMODULE>(module), name)));
}
void Close(void* module) {
  FreeLibrary(static_cast<HMODULE>(module));
}
HINSTANCE HandleOf(void* module) {
  return static_cast<HINSTANCE>(module);
}
#else
std::string Utf8(const std::wstring& s) {
  std::string out;
  for (wchar_t wc : s) {
    auto c = static_cast<unsigned long>(wc);
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xF0 | (c >> 18));
      out += char(0x80 | ((c >> 12) & 0x3F));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}
std::wstring FromUtf8(const std::string& s) {
  std::wstring out;
  for (size_t i = 0; i < s.size();) {
    auto b = static_cast<unsigned char>(s[i]);
    int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
    unsigned long c = extra == 0 ? b : b & (0x3F >> extra);
    for (int k = 1; k <= extra && i + size_t(k) < s.size(); ++k)
      c = (c << 6) | (static_cast<unsigned char>(s[i + size_t(k)]) & 0x3F);
    out += wchar_t(c);
    i += size_t(extra) + 1;
  }
  return out;
}
std::wstring SystemPath(const MCHAR* path) {
  return path;
}
bool Exists(const std::wstring& p) {
  struct stat st;
  return stat(Utf8(p).c_str(), &st) == 0;
}
void* Open(const std::wstring& p, std::wstring& error) {
  void* m = dlopen(Utf8(p).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!m) {
    const char* why = dlerror();
    error = FromUtf8(why ? why : "dlopen failed");
  }
  return m;
}
void* Symbol(void* module, const char* name) {
  return dlsym(module, name);
}
void Close(void* module) {
  dlclose(module);
}
HINSTANCE HandleOf(void* module) {
  // The module's base address: the handle its own load hook and string table use.
  void* any = dlsym(module, "LibVersion");
  return any ? ModuleHandleFromAddress(any) : nullptr;
}
#endif

template <class Fn>
Fn Export(void* module, const char* name) {
  return reinterpret_cast<Fn>(Symbol(module, name));
}

PluginLibrary* Fail(PluginLoadStatus why, const std::wstring& text, PluginLoadStatus* status,
                    MSTR* message) {
  if (status) *status = why;
  if (message) *message = MSTR(text.c_str());
  return nullptr;
}

std::wstring Hex(ULONG v) {
  std::wstring out = L"0x";
  for (int shift = 28; shift >= 0; shift -= 4) out += L"0123456789abcdef"[(v >> shift) & 0xf];
  return out;
}

}  // namespace

struct PluginLoader {
  static PluginLibrary* Load(const MCHAR* path, PluginLoadStatus* status, MSTR* message) {
    if (!path || !*path) return Fail(PLUGIN_NOT_FOUND, L"no path given", status, message);
    std::wstring file = SystemPath(path);
    for (PluginLibrary* lib : Loaded())
      if (lib->data->path == file)
        return Fail(PLUGIN_ALREADY_LOADED, file + L": already loaded", status, message);
    if (!Exists(file)) return Fail(PLUGIN_NOT_FOUND, file + L": no such file", status, message);

    std::wstring error;
    void* module = Open(file, error);
    if (!module) return Fail(PLUGIN_NOT_LOADABLE, file + L": " + error, status, message);

    auto description = Export<LibDescriptionFn>(module, "LibDescription");
    auto numberClasses = Export<LibNumberClassesFn>(module, "LibNumberClasses");
    auto classDesc = Export<LibClassDescFn>(module, "LibClassDesc");
    auto version = Export<LibVersionFn>(module, "LibVersion");
    std::wstring missing;
    if (!description) missing += L" LibDescription";
    if (!numberClasses) missing += L" LibNumberClasses";
    if (!classDesc) missing += L" LibClassDesc";
    if (!version) missing += L" LibVersion";
    if (!missing.empty()) {
      Close(module);
      return Fail(PLUGIN_MISSING_EXPORT, file + L": does not export" + missing, status, message);
    }

    ULONG v = version();
    if (GET_MAX_API_NUM(v) != MAX_API_NUM) {
      Close(module);
      return Fail(PLUGIN_WRONG_VERSION,
                  file + L": LibVersion " + Hex(v) + L" is API " +
                      std::to_wstring(GET_MAX_API_NUM(v)) + L" of release " +
                      std::to_wstring(GET_MAX_RELEASE(v)) + L"; this host loads API " +
                      std::to_wstring(MAX_API_NUM) + L" (" + std::to_wstring(MAX_RELEASE) + L")",
                  status, message);
    }

    auto initialize = Export<LibInitializeFn>(module, "LibInitialize");
    if (initialize && !initialize()) {
      Close(module);
      return Fail(PLUGIN_INIT_FAILED, file + L": LibInitialize returned FALSE", status, message);
    }

    auto* lib = new PluginLibrary;
    lib->data = new PluginData;
    PluginData& d = *lib->data;
    d.path = file;
    const MCHAR* text = description();
    d.description = text ? text : L"";
    d.version = v;
    d.module = module;
    d.handle = HandleOf(module);
    d.shutdown = Export<LibShutdownFn>(module, "LibShutdown");
    std::wstring refused;
    int n = numberClasses();
    for (int i = 0; i < n; ++i) {
      ClassDesc* cd = classDesc(i);
      if (!cd) continue;
      d.classes.push_back(cd);
      if (!GetClassDirectory().AddClass(cd))
        refused += std::wstring(L" ") + (cd->ClassName() ? cd->ClassName() : L"?");
    }
    Loaded().push_back(lib);
    if (status) *status = PLUGIN_LOADED;
    if (message)
      *message = refused.empty()
                     ? MSTR()
                     : MSTR((file + L": class ID already taken, ignored:" + refused).c_str());
    return lib;
  }

  static bool Unload(PluginLibrary* lib) {
    auto& loaded = Loaded();
    auto it = std::find(loaded.begin(), loaded.end(), lib);
    if (it == loaded.end()) return false;
    loaded.erase(it);
    // Undo steps may hold restore objects whose code is the module's.
    HostClearUndo();
    for (ClassDesc* cd : lib->data->classes) GetClassDirectory().RemoveClass(cd);
    if (lib->data->shutdown) lib->data->shutdown();
    Close(lib->data->module);
    delete lib;
    return true;
  }
};

PluginLibrary::~PluginLibrary() {
  delete data;
}
const MCHAR* PluginLibrary::Path() {
  return data->path.c_str();
}
const MCHAR* PluginLibrary::Description() {
  return data->description.c_str();
}
ULONG PluginLibrary::Version() {
  return data->version;
}
HINSTANCE PluginLibrary::Handle() {
  return data->handle;
}
int PluginLibrary::NumClasses() {
  return int(data->classes.size());
}
ClassDesc* PluginLibrary::GetClassDesc(int i) {
  return i >= 0 && i < NumClasses() ? data->classes[size_t(i)] : nullptr;
}

PluginLibrary* LoadPluginLibrary(const MCHAR* path, PluginLoadStatus* status, MSTR* message) {
  return PluginLoader::Load(path, status, message);
}

bool UnloadPluginLibrary(PluginLibrary* library) {
  return PluginLoader::Unload(library);
}

MSTR GetExecutableDirectory() {
  std::wstring exe;
#if defined(_WIN32)
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buf.data(), DWORD(buf.size()));
    if (n == 0) return MSTR();
    if (n < buf.size()) {
      exe.assign(buf.data(), n);
      break;
    }
    buf.resize(buf.size() * 2);
  }
#else
  std::vector<char> buf(4096);
  ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return MSTR();
  exe = FromUtf8(std::string(buf.data(), size_t(n)));
#endif
  size_t slash = exe.find_last_of(L"/\\");
  return MSTR(slash == std::wstring::npos ? L"." : exe.substr(0, slash).c_str());
}
