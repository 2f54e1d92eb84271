#pragma once
#include "iparamb2.h"

#define KELVANE_CLASS_ID Class_ID(0x51DC051B, 0x866D966D)

// Tells the host what the Kelvane map is and creates its instances.
class KelvaneClassDesc : public ClassDesc2 {
 public:
  int IsPublic() override { return TRUE; }
  void* Create(BOOL loading = FALSE) override;
  const MCHAR* ClassName() override;
  const MCHAR* NonLocalizedClassName() override { return _T("Kelvane"); }
  SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
  Class_ID ClassID() override { return KELVANE_CLASS_ID; }
  const MCHAR* Category() override;
  const MCHAR* InternalName() override { return _T("Kelvane"); }
  HINSTANCE HInstance() override;
};
