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
  return static_cast<ReferenceTarget*>(new (std::nothrow) Kelvane);
}
