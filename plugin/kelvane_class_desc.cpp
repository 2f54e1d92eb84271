#include "kelvane_class_desc.h"

#include <new>

#include "kelvane.h"

#include "module.h"
#include "param_block.h"
#include "resource.h"

ClassDesc2* GetKelvaneDesc() {
  // Built on first use: the parameter block description asks for it during static
  // initialisation, possibly before this file's own statics.
  static KelvaneClassDesc desc;
  return &desc;
}

const MCHAR* KelvaneClassDesc::ClassName() {
  return GetString(IDS_CLASS_NAME);
}
const MCHAR* KelvaneClassDesc::Category() {
  return GetString(IDS_CATEGORY);
}
HINSTANCE KelvaneClassDesc::HInstance() {
  return hInstance;
}

void* KelvaneClassDesc::Create(BOOL) {
  NameParameterBlock();
  // The host expects null, not an exception, when no map can be made. A constructor that
  // fails part way has its parts undone by the language and the host's reference release
  // (the parameter block and the coordinates and output objects it made go with it).
  try {
    return static_cast<ReferenceTarget*>(new Kelvane);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
