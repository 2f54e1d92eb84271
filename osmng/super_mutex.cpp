#include "super_mutex.h"

namespace OsMng {

// Out of line, so the module exports them and the virtual table.
CSuperMutex::CSuperMutex() = default;
CSuperMutex::~CSuperMutex() = default;

}  // namespace OsMng
