#pragma once
#include "WindowsDefines.h"
#include "generic_mutex.h"
#include "osmng_export.h"

namespace OsMng {

// A re-entrant lock over a critical section of its own; the inherited handle is unused.
class OSMNG_API CCriticalSection : public CGenericMutex {
 public:
  CCriticalSection();
  ~CCriticalSection() override;
  void lock() override;
  void unlock() override;
  // Never blocks; true when the caller now owns the section.
  bool trylock() override;

 private:
  CRITICAL_SECTION section;
};

}  // namespace OsMng
