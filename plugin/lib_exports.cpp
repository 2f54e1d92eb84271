// The entry points through which the host enumerates the module's classes.
#include "iparamb2.h"
#include "maxversion.h"
#include "module.h"
#include "module_export.h"
#include "param_block.h"
#include "resource.h"

extern "C" {

KELVANE_EXPORT const MCHAR* LibDescription() {
  return GetString(IDS_LIB_DESCRIPTION);
}

KELVANE_EXPORT int LibNumberClasses() {
  return 1;
}

KELVANE_EXPORT ClassDesc* LibClassDesc(int i) {
  if (i != 0) return nullptr;
  NameParameterBlock();
  return GetKelvaneDesc();
}

KELVANE_EXPORT ULONG LibVersion() {
  return VERSION_3DSMAX;
}

KELVANE_EXPORT int LibInitialize() {
  return TRUE;
}

KELVANE_EXPORT int LibShutdown() {
  return TRUE;
}
}
