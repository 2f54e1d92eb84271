#pragma once
#include "WindowsDefines.h"
#include "osmng_export.h"
#include "super_mutex.h"

namespace OsMng {

// A lock over one native handle. The handle is left for the derived class to set; a lock
// that does not need it never reads it.
class OSMNG_API CGenericMutex : public CSuperMutex {
 protected:
  CGenericMutex();
  ~CGenericMutex() override;

  HANDLE hMutex;
};

}  // namespace OsMng
