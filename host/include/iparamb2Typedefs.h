#pragma once
// Identifiers, parameter types, control types and tags of parameter-block descriptions.
// Values are the SDK's: a module's description is a list of these numbers.

typedef short BlockID;
typedef short ParamID;
typedef short MapID;
typedef int StringResID;

#define TYPE_TAB 0x0800
#define TYPE_BY_REF 0x1000
#define TYPE_BY_VAL 0x2000
#define TYPE_BY_PTR 0x4000

enum ParamType {
  TYPE_FLOAT = 0,
  TYPE_INT = 1,
  TYPE_RGBA = 2,
  TYPE_POINT3 = 3,
  TYPE_BOOL = 4,
  TYPE_USER = 5
};

enum ParamType2 {
  TYPE_ANGLE = TYPE_USER,
  TYPE_PCNT_FRAC = 6,
  TYPE_WORLD = 7,
  TYPE_STRING = 8,
  TYPE_FILENAME = 9,
  TYPE_HSV = 10,
  TYPE_COLOR_CHANNEL = 11,
  TYPE_TIMEVALUE = 12,
  TYPE_RADIOBTN_INDEX = 13,
  TYPE_MTL = 14,
  TYPE_TEXMAP = 15,
  TYPE_BITMAP = 16,
  TYPE_INODE = 17,
  TYPE_REFTARG = 18,
  TYPE_INDEX = 19,
  TYPE_MATRIX3 = 20,
  TYPE_PBLOCK2 = 21,
  TYPE_POINT4 = 22,
  TYPE_FRGBA = 23,
  TYPE_POINT2 = 30,

  TYPE_FLOAT_TAB = TYPE_FLOAT | TYPE_TAB,
  TYPE_INT_TAB = TYPE_INT | TYPE_TAB,
  TYPE_RGBA_TAB = TYPE_RGBA | TYPE_TAB,
  TYPE_POINT3_TAB = TYPE_POINT3 | TYPE_TAB,
  TYPE_BOOL_TAB = TYPE_BOOL | TYPE_TAB,
  TYPE_ANGLE_TAB = TYPE_ANGLE | TYPE_TAB,
  TYPE_PCNT_FRAC_TAB = TYPE_PCNT_FRAC | TYPE_TAB,
  TYPE_WORLD_TAB = TYPE_WORLD | TYPE_TAB,
  TYPE_STRING_TAB = TYPE_STRING | TYPE_TAB,
  TYPE_FILENAME_TAB = TYPE_FILENAME | TYPE_TAB,
  TYPE_HSV_TAB = TYPE_HSV | TYPE_TAB,
  TYPE_COLOR_CHANNEL_TAB = TYPE_COLOR_CHANNEL | TYPE_TAB,
  TYPE_TIMEVALUE_TAB = TYPE_TIMEVALUE | TYPE_TAB,
  TYPE_RADIOBTN_INDEX_TAB = TYPE_RADIOBTN_INDEX | TYPE_TAB,
  TYPE_MTL_TAB = TYPE_MTL | TYPE_TAB,
  TYPE_TEXMAP_TAB = TYPE_TEXMAP | TYPE_TAB,
  TYPE_BITMAP_TAB = TYPE_BITMAP | TYPE_TAB,
  TYPE_INODE_TAB = TYPE_INODE | TYPE_TAB,
  TYPE_REFTARG_TAB = TYPE_REFTARG | TYPE_TAB,
  TYPE_INDEX_TAB = TYPE_INDEX | TYPE_TAB,
  TYPE_MATRIX3_TAB = TYPE_MATRIX3 | TYPE_TAB,
  TYPE_PBLOCK2_TAB = TYPE_PBLOCK2 | TYPE_TAB,
  TYPE_POINT4_TAB = TYPE_POINT4 | TYPE_TAB,
  TYPE_FRGBA_TAB = TYPE_FRGBA | TYPE_TAB,
  TYPE_POINT2_TAB = TYPE_POINT2 | TYPE_TAB,
};

enum ControlType {
  TYPE_SPINNER = 0,
  TYPE_RADIO = 1,
  TYPE_SINGLECHECKBOX = 2,
  TYPE_SINGLECHEKBOX = TYPE_SINGLECHECKBOX,  // the SDK's old spelling
  TYPE_MULTICHECKBOX = 3,
  TYPE_MULTICHEKBOX = TYPE_MULTICHECKBOX,
  TYPE_COLORSWATCH = 4
};

enum ControlType2 {
  TYPE_EDITBOX = 5,
  TYPE_CHECKBUTTON = 6,
  TYPE_PICKNODEBUTTON = 7,
  TYPE_TEXMAPBUTTON = 8,
  TYPE_MTLBUTTON = 9,
  TYPE_BITMAPBUTTON = 10,
  TYPE_FILEOPENBUTTON = 11,
  TYPE_FILESAVEBUTTON = 12,
  TYPE_INTLISTBOX = 13
};

enum ParamTags {
  p_default = -(1 << 30),
  p_ms_default,
  p_range,
  p_ui,
  p_validator,
  p_accessor,
  p_vals,
  p_refno,
  p_subtexno,
  p_submtlno,
  p_dim,
  p_classID,
  p_sclassID,
  p_enabled,
  p_enable_ctrls,
  p_prompt,
  p_caption,
  p_init_file,
  p_file_types,
  p_ctrl_ids,
  p_uix,
  p_configurable_default,
  p_tooltip,
  p_assetTypeID,
  p_assetTypeName,
  p_defaults_and_ranges_in_meters,
  p_end = p_default + 1024
};
static_assert(p_refno == p_default + 7, "tag values are part of every module's descriptions");
