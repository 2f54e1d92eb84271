#pragma once
#include "hold.h"

// theHold suspended for a scope, resumed however the scope ends (an allocation can fail).
class HoldSuspension {
 public:
  HoldSuspension() { theHold.Suspend(); }
  ~HoldSuspension() { theHold.Resume(); }
  HoldSuspension(const HoldSuspension&) = delete;
  HoldSuspension& operator=(const HoldSuspension&) = delete;
};
