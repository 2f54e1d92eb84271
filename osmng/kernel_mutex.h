#pragma once
#include "generic_mutex.h"
#include "osmng_export.h"

namespace OsMng {

// A re-entrant lock over a kernel mutex, owned by the thread that acquired it.
class OSMNG_API CMutex : public CGenericMutex {
 public:
  CMutex();
  ~CMutex() override;
  void lock() override;
  void unlock() override;
  // Never blocks. True when the caller now owns the lock, including when it inherits it from
  // a thread that ended while holding it; every true needs one unlock().
  bool trylock() override;
};

}  // namespace OsMng
