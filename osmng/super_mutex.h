#pragma once
#include "osmng_export.h"

namespace OsMng {

// The lock interface. Slot order is part of the exported interface: destructor, lock,
// unlock, trylock.
class OSMNG_API CSuperMutex {
 protected:
  CSuperMutex();
  virtual ~CSuperMutex();

 public:
  virtual void lock() = 0;
  virtual void unlock() = 0;
  virtual bool trylock() = 0;

  // A lock wraps an operating-system object that must not be shared or closed twice.
  CSuperMutex(const CSuperMutex&) = delete;
  CSuperMutex& operator=(const CSuperMutex&) = delete;
};

}  // namespace OsMng
