// The class directory: every class a module registered, keyed by super class and class ID.
// Keys are read once, when a class enters: descriptors answer the same every time.
#include <vector>

#include "plugapi.h"
#include "plugin_loader.h"

struct ClassList {
  struct Entry {
    ClassDesc* cd;
    SClass_ID superClassID;
    Class_ID classID;
  };
  std::vector<Entry> entries;
};

ClassDesc* ClassDirectory::FindClass(SClass_ID superClassID, const Class_ID& subClassID) {
  if (classes)
    for (const auto& e : classes->entries)
      if (e.superClassID == superClassID && e.classID == subClassID) return e.cd;
  return nullptr;
}

bool ClassDirectory::AddClass(ClassDesc* cd) {
  if (!cd) return false;
  SClass_ID superClassID = cd->SuperClassID();
  Class_ID classID = cd->ClassID();
  if (FindClass(superClassID, classID)) return false;
  if (!classes) classes = new ClassList;
  classes->entries.push_back({cd, superClassID, classID});
  return true;
}

void ClassDirectory::RemoveClass(ClassDesc* cd) {
  if (classes) std::erase_if(classes->entries, [cd](const auto& e) { return e.cd == cd; });
}

int ClassDirectory::NumClasses() {
  return classes ? int(classes->entries.size()) : 0;
}

ClassDesc* ClassDirectory::GetClass(int i) {
  return i >= 0 && i < NumClasses() ? classes->entries[size_t(i)].cd : nullptr;
}

// The host's own classes, in the directory from the start.
void RegisterHostMaterialClasses(ClassDirectory& directory);

ClassDirectory& GetClassDirectory() {
  // Never destroyed: modules may still be unloading when the host's statics go.
  static auto* directory = [] {
    auto* d = new ClassDirectory;
    RegisterHostMaterialClasses(*d);
    return d;
  }();
  return *directory;
}
