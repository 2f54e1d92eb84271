#pragma once
#include "imtl.h"

// A map made of other maps.
class CoreExport MultiTex : public Texmap {
 public:
  virtual void SetNumSubTexmaps(int) {}
};
