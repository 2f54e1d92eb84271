#pragma once
#include "maxtypes.h"

// Class IDs of the host's own material-layer classes. Stored in scene files: never change.
inline constexpr Class_ID kStdUVGenClassID(0x4bd20c1a, 0x7e5f0010);
inline constexpr Class_ID kStdTextureOutputClassID(0x4bd20c1a, 0x7e5f0011);
inline constexpr Class_ID kConstantColorMapClassID(0x4bd20c1a, 0x7e5f0001);
inline constexpr Class_ID kCheckerMapClassID(0x4bd20c1a, 0x7e5f0002);
