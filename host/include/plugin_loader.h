#pragma once
// The host's plug-in loader: what the application does with each plug-in module at start-up
// (load it, check its version, register its classes) and undoes when it lets the module go.
// Not an SDK header; programs and tests that stand in for the application use it. Like the
// rest of the reference and class machinery, it runs on the user-interface thread only.
#include "WindowsDefines.h"
#include "hostexport.h"
#include "maxheap.h"
#include "plugapi.h"
#include "strclass.h"

enum PluginLoadStatus {
  PLUGIN_LOADED = 0,
  PLUGIN_NOT_FOUND,       // no file at the path
  PLUGIN_NOT_LOADABLE,    // the system refused it: not a module, or a dependency missing
  PLUGIN_MISSING_EXPORT,  // LibDescription, LibNumberClasses, LibClassDesc or LibVersion
  PLUGIN_WRONG_VERSION,   // LibVersion is not of this host's SDK (API MAX_API_NUM)
  PLUGIN_INIT_FAILED,     // LibInitialize returned FALSE
  PLUGIN_ALREADY_LOADED   // the same path is loaded already
};

// A loaded module and what it told the host.
class CoreExport PluginLibrary : public MaxHeapOperators {
 public:
  const MCHAR* Path();
  const MCHAR* Description();  // LibDescription's text at load time; "" for none
  ULONG Version();
  HINSTANCE Handle();  // natively, the module's base address, as the module knows itself
  // The module's non-null class descriptors, in LibClassDesc order.
  int NumClasses();
  ClassDesc* GetClassDesc(int i);

 private:
  PluginLibrary() = default;
  ~PluginLibrary();
  friend struct PluginLoader;
  struct PluginData* data = nullptr;
};

// Loads the module at path. On success returns it with status PLUGIN_LOADED; message may
// then list classes the directory refused (an ID another class has). On failure returns null,
// sets status, puts the reason in message and leaves nothing loaded.
CoreExport PluginLibrary* LoadPluginLibrary(const MCHAR* path, PluginLoadStatus* status = nullptr,
                                            MSTR* message = nullptr);
// Removes the module's classes from the directory, calls its LibShutdown and unloads it.
// Every object of its classes must be deleted first: their code goes with the module.
CoreExport bool UnloadPluginLibrary(PluginLibrary* library);

// The host's one directory of classes.
CoreExport ClassDirectory& GetClassDirectory();

// The folder of the running program, without a trailing separator; plug-ins are built beside
// it.
CoreExport MSTR GetExecutableDirectory();
