#pragma once
#include "iparamb2.h"

// The Kelvane map's parameter block. IDs are stored in scene files: never renumber.
enum : BlockID { kelvane_params = 0 };

enum KelvaneParamID : ParamID {
  pb_distance = 0,
  pb_angle = 1,
  pb_selection_only = 2,
  pb_smooth = 3,
  pb_smooth_eq = 4,
  pb_complanar = 5,
  pb_conditions = 6,
  pb_open_edges = 7,
  pb_coords = 8,
  pb_marker_map = 9,
  pb_output = 10,
  pb_matid = 11,
  pb_matid_eq = 12,
  pb_c_mult = 13,
  pb_matid_range = 14,
  pb_matid1 = 15,
  pb_matid2 = 16,
  pb_edge_shape = 17,
  pb_world_units = 18,
  pb_bump_mode = 19,
};

// The block's rollouts: the "Parameters" rollout, and below it "Edge shape and units".
enum : MapID { kelvane_map_params = 0, kelvane_map_edge_shape = 1 };

// The map's references.
enum KelvaneRefs { COORD_REF = 0, PBLOCK_REF = 1, OUTPUT_REF = 2, MARKER_MAP_REF = 3 };

extern ParamBlockDesc2 kelvane_param_blk;

// Gives the block description its internal name, the text of "Parameters" in the module's
// string table, once the module's strings can be loaded (not during static initialisation).
void NameParameterBlock();

// A value read from a block of this description, brought into the range the description
// declares for the parameter (one declared with p_range): the host does not promise to clamp
// the values it loads from a scene file. A float that is not a number becomes the low end.
float InDeclaredRange(IParamBlock2* pb, ParamID id, float v);
int InDeclaredRange(IParamBlock2* pb, ParamID id, int v);
