#pragma once
#include "maxtypes.h"

// Super class IDs.
#define GEOMOBJECT_CLASS_ID 0x00000010
#define BASENODE_CLASS_ID 0x00000001
#define MATERIAL_CLASS_ID 0x00000C00
#define TEXMAP_CLASS_ID 0x00000C10
#define UVGEN_CLASS_ID 0x00000C20
#define TEXOUTPUT_CLASS_ID 0x00000C40

// Class IDs of the host's own geometry.
#define TRIOBJ_CLASS_ID 0x0009
#define POLYOBJ_CLASS_ID 0x5d21369a
#define BOXOBJ_CLASS_ID 0x00000010
