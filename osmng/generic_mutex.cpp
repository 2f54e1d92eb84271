#include "generic_mutex.h"

namespace OsMng {

CGenericMutex::CGenericMutex() = default;
CGenericMutex::~CGenericMutex() = default;

}  // namespace OsMng
