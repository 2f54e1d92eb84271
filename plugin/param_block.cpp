#include "param_block.h"

#include <algorithm>
#include <string>

#include "kelvane_class_desc.h"
#include "module.h"
#include "resource.h"

// The description registers itself with the class descriptor, which is built first (both
// live in this translation unit's order: descriptor, then block).
// clang-format off
ParamBlockDesc2 kelvane_param_blk(
    kelvane_params, nullptr, 0, GetKelvaneDesc(), P_AUTO_CONSTRUCT + P_AUTO_UI + P_MULTIMAP,
    PBLOCK_REF, 2,
    kelvane_map_params, IDD_PARAMETERS, IDS_PARAMETERS, 0, 0, nullptr,
    kelvane_map_edge_shape, IDD_EDGE_SHAPE_UNITS, IDS_EDGE_SHAPE_UNITS, 0, 0, nullptr,
    // The edge conditions and their combination.
    pb_distance, _T("Distance"), TYPE_FLOAT, P_ANIMATABLE, IDS_DISTANCE,
        p_default, 0.1f, p_range, 0.0f, 10000000.0f,
        p_ui, kelvane_map_params, TYPE_SPINNER, EDITTYPE_UNIVERSE, IDC_DISTANCE_EDIT, IDC_DISTANCE_SPIN, 0.01f,
        p_end,
    pb_angle, _T("Angle"), TYPE_FLOAT, P_ANIMATABLE, IDS_ANGLE,
        p_default, 0.1f, p_range, 0.0f, 360.0f,
        p_ui, kelvane_map_params, TYPE_SPINNER, EDITTYPE_FLOAT, IDC_ANGLE_EDIT, IDC_ANGLE_SPIN, 0.01f,
        p_end,
    pb_selection_only, _T("Selection only"), TYPE_BOOL, P_ANIMATABLE, IDS_SELECTION_ONLY,
        p_default, FALSE, p_ui, kelvane_map_params, TYPE_SINGLECHEKBOX, IDC_SELECTION_ONLY, p_end,
    pb_smooth, _T("smooth"), TYPE_BOOL, P_ANIMATABLE, IDS_SMOOTH,
        p_default, FALSE, p_ui, kelvane_map_params, TYPE_SINGLECHEKBOX, IDC_SMOOTH, p_end,
    pb_smooth_eq, _T("smooth_eq"), TYPE_INT, 0, IDS_SMOOTH_EQUALS,
        p_default, 1, p_range, 0, 1,
        p_ui, kelvane_map_params, TYPE_RADIO, 2, IDC_SMOOTH_EQUALS, IDC_SMOOTH_DIFFERENCE, p_end,
    pb_matid, _T("matid"), TYPE_BOOL, P_ANIMATABLE, IDS_MATERIAL_ID,
        p_default, FALSE, p_ui, kelvane_map_params, TYPE_SINGLECHEKBOX, IDC_MATID, p_end,
    pb_matid_eq, _T("matid_eq"), TYPE_INT, 0, IDS_MATID_EQUALS,
        p_default, 1, p_range, 0, 1,
        p_ui, kelvane_map_params, TYPE_RADIO, 2, IDC_MATID_EQUALS, IDC_MATID_DIFFERENCE, p_end,
    pb_complanar, _T("complanar"), TYPE_BOOL, P_ANIMATABLE, IDS_COMPLANAR,
        p_default, FALSE, p_ui, kelvane_map_params, TYPE_SINGLECHEKBOX, IDC_COMPLANAR, p_end,
    pb_conditions, _T("conditions"), TYPE_INT, 0, IDS_CONDITIONS,
        p_default, 1, p_range, 0, 1,
        p_ui, kelvane_map_params, TYPE_RADIO, 2, IDC_CONDITIONS_AND, IDC_CONDITIONS_OR, p_end,
    pb_open_edges, _T("open edges"), TYPE_BOOL, P_ANIMATABLE, IDS_OPEN_EDGE,
        p_default, FALSE, p_ui, kelvane_map_params, TYPE_SINGLECHEKBOX, IDC_OPEN_EDGES, p_end,
    // The map's own references, exposed to the parameter system.
    pb_coords, _T("coords"), TYPE_REFTARG, P_OWNERS_REF, IDS_COORDINATES,
        p_refno, COORD_REF, p_end,
    pb_marker_map, _T("marker_map"), TYPE_TEXMAP_TAB, 2, P_OWNERS_REF + P_VARIABLE_SIZE, IDS_MARKERS,
        p_refno, MARKER_MAP_REF, p_end,
    pb_output, _T("output"), TYPE_REFTARG, P_OWNERS_REF, IDS_OUTPUT,
        p_refno, OUTPUT_REF, p_end,
    // Grid cell multiplier and the material-ID range.
    pb_c_mult, _T("c_mult"), TYPE_INT, P_ANIMATABLE, IDS_C_MULT,
        p_default, 2, p_range, 1, 1000000,
        p_ui, kelvane_map_params, TYPE_SPINNER, EDITTYPE_INT, IDC_C_MULT_EDIT, IDC_C_MULT_SPIN, 1.0f,
        p_end,
    pb_matid_range, _T("matId_range"), TYPE_BOOL, P_ANIMATABLE, IDS_ONLY_IN_IDS,
        p_default, FALSE, p_ui, kelvane_map_params, TYPE_SINGLECHEKBOX, IDC_MATID_RANGE, p_end,
    pb_matid1, _T("MatId1"), TYPE_INT, P_ANIMATABLE, IDS_MATID_FROM,
        p_default, 1, p_range, 1, 1000,
        p_ui, kelvane_map_params, TYPE_SPINNER, EDITTYPE_INT, IDC_MATID1_EDIT, IDC_MATID1_SPIN, 1.0f,
        p_end,
    pb_matid2, _T("MatId2"), TYPE_INT, P_ANIMATABLE, IDS_MATID_TO,
        p_default, 1, p_range, 1, 1000,
        p_ui, kelvane_map_params, TYPE_SPINNER, EDITTYPE_INT, IDC_MATID2_EDIT, IDC_MATID2_SPIN, 1.0f,
        p_end,
    // Appended later, in a rollout of their own; old scenes load them at their defaults.
    pb_edge_shape, _T("edge_shape"), TYPE_INT, 0, IDS_EDGE_SHAPE,
        p_default, 0, p_range, 0, 2,
        p_ui, kelvane_map_edge_shape, TYPE_RADIO, 3, IDC_EDGE_SHAPE_ANY, IDC_EDGE_SHAPE_CONVEX,
            IDC_EDGE_SHAPE_CONCAVE,
        p_end,
    pb_world_units, _T("world_units"), TYPE_BOOL, P_ANIMATABLE, IDS_WORLD_UNITS,
        p_default, FALSE, p_ui, kelvane_map_edge_shape, TYPE_SINGLECHEKBOX, IDC_WORLD_UNITS, p_end,
    pb_bump_mode, _T("bump_mode"), TYPE_INT, 0, IDS_BUMP,
        p_default, 0, p_range, 0, 1,
        p_ui, kelvane_map_edge_shape, TYPE_RADIO, 2, IDC_BUMP_RAMP, IDC_BUMP_ROUND_EDGE,
        p_end,
    p_end);
// clang-format on

void NameParameterBlock() {
  static std::wstring name;
  if (!name.empty()) return;
  if (const MCHAR* text = GetString(IDS_PARAMETERS)) {
    name = text;
    kelvane_param_blk.int_name = name.c_str();
  }
}

float InDeclaredRange(IParamBlock2* pb, ParamID id, float v) {
  const ParamDef& def = pb->GetParamDef(id);
  if (!(v >= def.range_low.f)) return def.range_low.f;
  return std::min(v, def.range_high.f);
}

int InDeclaredRange(IParamBlock2* pb, ParamID id, int v) {
  const ParamDef& def = pb->GetParamDef(id);
  return std::clamp(v, def.range_low.i, def.range_high.i);
}
