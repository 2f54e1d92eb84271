// ParamBlockDesc2: reading a module's tag list. The list is untyped, so every value is checked
// against what the grammar allows at its place; the first thing out of place throws, naming
// the block and parameter, rather than leaving a block that reads the wrong numbers.
#include <cfloat>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "iparamb2.h"
#include "param_types.h"
#include "pb2_registry.h"

struct DescData {
  struct Map {
    MapID id;
    int dialog;
    StringResID title;
    int testFlags;
    int rollupFlags;
    ParamMap2UserDlgProc* proc;
  };
  std::vector<ParamDef> defs;
  // Control IDs of defs[i]; ParamDef::ctrl_IDs points into these (a moved vector keeps its
  // buffer, so the pointers survive defs growing).
  std::vector<std::vector<int>> ctrlIds;
  std::vector<Map> maps;
};

namespace {

constexpr int kBlockFlagsRead = P_AUTO_CONSTRUCT | P_AUTO_UI | P_MULTIMAP | P_VERSION;
constexpr int kBlockFlagsAccepted = kBlockFlagsRead | P_CALLSETS_ON_LOAD;
constexpr int kParamFlagsKnown = 0xffff | P_OBSOLETE;
constexpr int kMaxParams = 4096;
constexpr int kMaxTagsPerParam = 256;
constexpr int kMaxControls = 256;

std::string Narrow(const MCHAR* s) {
  std::string out;
  for (; s && *s; ++s) out += (*s >= 32 && *s < 127) ? char(*s) : '?';
  return out;
}

std::string TagName(int tag) {
  static const char* const names[] = {"p_default",       "p_ms_default",
                                      "p_range",         "p_ui",
                                      "p_validator",     "p_accessor",
                                      "p_vals",          "p_refno",
                                      "p_subtexno",      "p_submtlno",
                                      "p_dim",           "p_classID",
                                      "p_sclassID",      "p_enabled",
                                      "p_enable_ctrls",  "p_prompt",
                                      "p_caption",       "p_init_file",
                                      "p_file_types",    "p_ctrl_ids",
                                      "p_uix",           "p_configurable_default",
                                      "p_tooltip",       "p_assetTypeID",
                                      "p_assetTypeName", "p_defaults_and_ranges_in_meters"};
  if (tag == p_end) return "p_end";
  int i = tag - p_default;
  if (i >= 0 && i < int(sizeof(names) / sizeof(names[0]))) return names[i];
  if (i >= 0 && i < 1024) return "p_default+" + std::to_string(i);
  return std::to_string(tag);
}

std::string Hex(int v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%x", unsigned(v));
  return buf;
}

bool IsTag(int v) {
  return v >= p_default && v <= p_end;
}

struct VaEnd {
  va_list& ap;
  ~VaEnd() { va_end(ap); }
};

}  // namespace

struct DescReader {
  ParamBlockDesc2& desc;
  va_list* ap;        // null when there is nothing to read
  std::string param;  // the parameter being read, for messages

  [[noreturn]] void Fail(const std::string& what) const {
    std::string block = "ParamBlockDesc2 " + std::to_string(desc.ID);
    if (desc.int_name) block += " \"" + Narrow(desc.int_name) + "\"";
    throw std::invalid_argument(block + (param.empty() ? "" : ", " + param) + ": " + what);
  }

  int Int() { return va_arg(*ap, int); }
  double Double() { return va_arg(*ap, double); }

  int StringId(const char* what) {
    int v = Int();
    if (v < 0 || v > 0xffff)
      Fail(std::string(what) + " should be a string ID, found " + TagName(v) +
           (IsTag(v) ? " (a value missing before it?)" : ""));
    return v;
  }
  int ControlId() {
    int v = Int();
    if (v <= 0 || v > 0xffff) Fail("control ID out of range: " + TagName(v));
    return v;
  }

  void ReadMap(MapID id) {
    DescData::Map m;
    m.id = id;
    m.dialog = Int();
    m.title = StringId("the rollup title");
    m.testFlags = Int();
    m.rollupFlags = Int();
    m.proc = va_arg(*ap, ParamMap2UserDlgProc*);
    if (m.dialog <= 0 || m.dialog > 0xffff) Fail("dialog template ID out of range");
    for (const auto& other : desc.data->maps)
      if (other.id == id) Fail("map " + std::to_string(id) + " declared twice");
    desc.data->maps.push_back(m);
  }

  void ReadHeader() {
    int flags = desc.flags;
    if (flags & ~kBlockFlagsAccepted)
      Fail("block flags " + Hex(flags & ~kBlockFlagsAccepted) + " are not supported by this host");
    if ((flags & P_MULTIMAP) && !(flags & P_AUTO_UI)) Fail("P_MULTIMAP without P_AUTO_UI");
    if (flags & P_VERSION) desc.version = DWORD(Int());
    if (flags & P_AUTO_CONSTRUCT) {
      desc.ref_no = Int();
      if (desc.ref_no < 0 || desc.ref_no > 0xffff)
        Fail("P_AUTO_CONSTRUCT needs the owner's reference number, found " + TagName(desc.ref_no));
    }
    if (flags & P_AUTO_UI) {
      int maps = 1;
      if (flags & P_MULTIMAP) {
        maps = Int();
        if (maps < 1 || maps > 64) Fail("P_MULTIMAP map count out of range");
      }
      for (int i = 0; i < maps; ++i) {
        MapID id = 0;
        if (flags & P_MULTIMAP) {
          int v = Int();
          if (v < 0 || v > 0x7fff) Fail("map ID out of range");
          id = MapID(v);
        }
        ReadMap(id);
      }
    }
  }

  PB2Value Value(const ParamDef& def, const char* tag) {
    PB2Value v;
    if (pb2::IsFloat(def.type)) {
      double d = Double();
      // An int where a float belongs reads as a tiny or meaningless double.
      if (!std::isfinite(d) || std::fpclassify(d) == FP_SUBNORMAL || std::fabs(d) > FLT_MAX)
        Fail(std::string(tag) + " of a float parameter is not a float (write 1.0f, not 1)");
      v.f = float(d);
    } else if (pb2::IsInt(def.type)) {
      v.i = Int();
    } else {
      Fail(std::string(tag) + " is not supported for reference parameters");
    }
    return v;
  }

  void ReadUi(ParamDef& def, std::vector<int>& ids) {
    if (desc.flags & P_MULTIMAP) {
      int map = Int();
      bool known = false;
      for (const auto& m : desc.data->maps) known = known || m.id == map;
      if (!known) Fail("p_ui names map " + TagName(map) + ", which the block does not declare");
      def.map_id = MapID(map);
    }
    if (pb2::IsTab(def.type)) Fail("p_ui on a table parameter is not supported by this host");
    int ctrl = Int();
    bool number = pb2::IsFloat(def.type) || pb2::IsInt(def.type);
    ids.clear();
    switch (ctrl) {
      case TYPE_SPINNER: {
        if (!number) Fail("a spinner needs a float or int parameter");
        def.spin_type = Int();
        if (def.spin_type < EDITTYPE_INT || def.spin_type > EDITTYPE_TIME)
          Fail("unknown spinner edit type " + TagName(def.spin_type));
        ids.push_back(ControlId());
        ids.push_back(ControlId());
        double scale = Double();
        if (!std::isfinite(scale) || std::fpclassify(scale) == FP_SUBNORMAL)
          Fail("spinner scale is not a float (write 1.0f, not 1)");
        def.scale = float(scale);
        break;
      }
      case TYPE_RADIO: {
        if (!pb2::IsInt(def.type)) Fail("radio buttons need an int parameter");
        int n = Int();
        if (n < 1 || n > kMaxControls) Fail("radio button count out of range: " + TagName(n));
        for (int i = 0; i < n; ++i) ids.push_back(ControlId());
        break;
      }
      case TYPE_SINGLECHECKBOX:
      case TYPE_CHECKBUTTON:
        if (!pb2::IsInt(def.type)) Fail("a check box needs a bool or int parameter");
        ids.push_back(ControlId());
        break;
      case TYPE_EDITBOX:
        if (!number) Fail("an edit box needs a float or int parameter here");
        ids.push_back(ControlId());
        break;
      case TYPE_TEXMAPBUTTON:
        if (pb2::Base(def.type) != TYPE_TEXMAP) Fail("a map button needs a TYPE_TEXMAP parameter");
        ids.push_back(ControlId());
        break;
      case TYPE_PICKNODEBUTTON:
        if (pb2::Base(def.type) != TYPE_INODE) Fail("a node button needs a TYPE_INODE parameter");
        ids.push_back(ControlId());
        break;
      default:
        Fail("p_ui control type " + TagName(ctrl) + " is not supported by this host");
    }
    def.ctrl_type = ctrl;
  }

  void ReadTag(int tag, ParamDef& def, std::vector<int>& ids) {
    switch (tag) {
      case p_default:
        def.def = Value(def, "p_default");
        def.has_default = true;
        break;
      case p_ms_default:
        def.ms_def = Value(def, "p_ms_default");
        break;
      case p_range:
        def.range_low = Value(def, "p_range");
        def.range_high = Value(def, "p_range");
        def.has_range = true;
        if (pb2::IsFloat(def.type) ? def.range_low.f > def.range_high.f
                                   : def.range_low.i > def.range_high.i)
          Fail("p_range low end above its high end");
        break;
      case p_ui:
        ReadUi(def, ids);
        break;
      case p_refno: {
        int n = Int();
        if (!pb2::IsRef(def.type)) Fail("p_refno on a parameter that is not a reference");
        if (!(def.flags & P_OWNERS_REF)) Fail("p_refno without P_OWNERS_REF");
        if (n < 0 || n > 0x7fff) Fail("p_refno out of range: " + TagName(n));
        def.ref_no = short(n);
        break;
      }
      case p_subtexno: {
        int n = Int();
        if (n < 0 || n > 0x7fff) Fail("p_subtexno out of range: " + TagName(n));
        def.subobj_no = short(n);
        break;
      }
      case p_enabled:
        def.enabled = Int();
        break;
      case p_tooltip:
        def.tooltip = StringId("p_tooltip");
        break;
      default:
        if (IsTag(tag)) Fail(TagName(tag) + " is not supported by this host");
        Fail("expected a tag or p_end, found " + TagName(tag) +
             " (a value too many before it, or a missing p_end?)");
    }
  }

  void Check(const ParamDef& def) {
    if ((def.flags & P_OWNERS_REF) && !pb2::IsRef(def.type))
      Fail("P_OWNERS_REF on a parameter that is not a reference");
    if ((def.flags & P_OWNERS_REF) && def.ref_no < 0) Fail("P_OWNERS_REF needs p_refno");
    if (def.has_default && def.has_range) {
      bool inside = pb2::IsFloat(def.type)
                        ? def.def.f >= def.range_low.f && def.def.f <= def.range_high.f
                        : def.def.i >= def.range_low.i && def.def.i <= def.range_high.i;
      if (!inside) Fail("p_default outside p_range");
    }
  }

  // Everything of one parameter after its ID, up to and including its p_end.
  void ReadParam(ParamID id) {
    param = "parameter " + std::to_string(id);
    if (id < 0) Fail("expected a parameter ID or p_end, found " + TagName(id));
    if (desc.IDtoIndex(id) >= 0) Fail("ID used twice");
    if (desc.data->defs.size() >= size_t(kMaxParams)) Fail("too many parameters");
    ParamDef def;
    std::vector<int> ids;
    def.ID = id;
    def.int_name = va_arg(*ap, const MCHAR*);
    if (!def.int_name) Fail("no internal name");
    param += " \"" + Narrow(def.int_name) + "\"";
    int type = Int();
    if (!pb2::IsSupported(type))
      Fail("type " + TagName(type) + " is not supported by this host" +
           (IsTag(type) ? " (the internal name missing?)" : ""));
    def.type = ParamType2(type);
    if (pb2::IsTab(type)) {
      int size = Int();
      if (size < 0 || size > 0x7fff) Fail("table size out of range: " + TagName(size));
      def.tab_size = short(size);
    }
    def.flags = Int();
    if (def.flags & ~kParamFlagsKnown)
      Fail(IsTag(def.flags) ? "flags should come before " + TagName(def.flags) + " (missing?)"
                            : "unknown parameter flags " + Hex(def.flags));
    def.local_name = StringId("the local name");
    int tags = 0;
    for (int tag = Int(); tag != p_end; tag = Int()) {
      if (++tags > kMaxTagsPerParam) Fail("no p_end");
      ReadTag(tag, def, ids);
    }
    Check(def);
    desc.data->defs.push_back(def);
    desc.data->ctrlIds.push_back(std::move(ids));
    Publish(desc);
  }

  void ReadParams() {
    for (;;) {
      param.clear();
      int id = Int();
      if (id == p_end) return;
      if (id < 0 || id > 0x7fff)
        Fail("expected a parameter ID or p_end, found " + TagName(id) +
             (IsTag(id) ? " (a p_end too many or too few before it?)" : ""));
      ReadParam(ParamID(id));
    }
  }

  // Points the public fields at the data.
  static void Publish(ParamBlockDesc2& desc) {
    DescData& d = *desc.data;
    for (size_t i = 0; i < d.defs.size(); ++i) {
      d.defs[i].ctrl_IDs = d.ctrlIds[i].empty() ? nullptr : d.ctrlIds[i].data();
      d.defs[i].ctrl_count = short(d.ctrlIds[i].size());
    }
    desc.paramdefs = d.defs.empty() ? nullptr : d.defs.data();
    desc.count = USHORT(d.defs.size());
    if (!d.maps.empty()) {
      desc.dlg_template = d.maps[0].dialog;
      desc.title = d.maps[0].title;
      desc.test_flags = d.maps[0].testFlags;
      desc.rollup_flags = d.maps[0].rollupFlags;
      desc.dlgProc = d.maps[0].proc;
    }
  }
};

// va_start on a parameter of a promoted type (flags, id) is what the SDK's signatures
// require; the x86-64 conventions of both builds handle it.
#if defined(__clang__)
#pragma clang diagnostic ignored "-Wvarargs"
#endif

ParamBlockDesc2::ParamBlockDesc2(BlockID id, const MCHAR* intName, StringResID localName,
                                 ClassDesc2* classDesc, USHORT blockFlags, ...)
    : cd(classDesc), int_name(intName), local_name(localName), ID(id), flags(blockFlags) {
  std::unique_ptr<DescData> owned(new DescData);
  data = owned.get();
  va_list ap;
  va_start(ap, blockFlags);
  VaEnd endAp{ap};
  DescReader reader{*this, &ap, {}};
  reader.ReadHeader();
  reader.ReadParams();
  DescReader::Publish(*this);
  owned.release();
  // Not cd->AddParamBlockDesc: the descriptor may not be constructed yet.
  if (cd) pb2::AddDesc(cd, this);
}

ParamBlockDesc2::~ParamBlockDesc2() {
  if (cd) pb2::RemoveDesc(cd, this);
  delete data;
}

void ParamBlockDesc2::AddParam(ParamID id, ...) {
  va_list ap;
  va_start(ap, id);
  VaEnd endAp{ap};
  DescReader{*this, &ap, {}}.ReadParam(id);
}

void ParamBlockDesc2::ParamOption(ParamID id, int option_tag, ...) {
  int i = IDtoIndex(id);
  if (i < 0) DescReader{*this, nullptr, "parameter " + std::to_string(id)}.Fail("unknown ID");
  if (option_tag == p_end) return;
  va_list ap;
  va_start(ap, option_tag);
  VaEnd endAp{ap};
  DescReader r{*this, &ap, "parameter " + std::to_string(id)};
  // Work on copies, so a bad option leaves the parameter as it was.
  ParamDef def = data->defs[size_t(i)];
  std::vector<int> ids = data->ctrlIds[size_t(i)];
  r.ReadTag(option_tag, def, ids);
  r.Check(def);
  data->defs[size_t(i)] = def;
  data->ctrlIds[size_t(i)] = std::move(ids);
  DescReader::Publish(*this);
}

void ParamBlockDesc2::DeleteParam(ParamID id) {
  int i = IDtoIndex(id);
  if (i < 0) return;
  data->defs.erase(data->defs.begin() + i);
  data->ctrlIds.erase(data->ctrlIds.begin() + i);
  DescReader::Publish(*this);
}

int ParamBlockDesc2::IDtoIndex(ParamID id) {
  for (size_t i = 0; i < data->defs.size(); ++i)
    if (data->defs[i].ID == id) return int(i);
  return -1;
}

ParamID ParamBlockDesc2::IndextoID(int i) {
  return i >= 0 && i < int(data->defs.size()) ? data->defs[size_t(i)].ID : ParamID(-1);
}

ParamDef& ParamBlockDesc2::GetParamDef(ParamID id) {
  int i = IDtoIndex(id);
  if (i >= 0) return data->defs[size_t(i)];
  static ParamDef none;
  none = ParamDef();  // a caller may have written to it
  return none;
}

void ParamBlockDesc2::SetUserDlgProc(MapID map_id, ParamMap2UserDlgProc* proc) {
  for (auto& m : data->maps)
    if (m.id == map_id) m.proc = proc;
  if (!data->maps.empty() && data->maps[0].id == map_id) dlgProc = proc;
  pb2::UserDlgProcChanged(this, map_id, proc);
}

ParamMap2UserDlgProc* ParamBlockDesc2::GetUserDlgProc(MapID map_id) {
  for (auto& m : data->maps)
    if (m.id == map_id) return m.proc;
  return nullptr;
}

int ParamBlockDesc2::NumMaps() {
  return int(data->maps.size());
}

bool ParamBlockDesc2::GetMap(int i, MapID& id, int& dialog, StringResID& mapTitle, int& testFlags,
                             int& rollupFlags) {
  if (i < 0 || i >= NumMaps()) return false;
  const auto& m = data->maps[size_t(i)];
  id = m.id;
  dialog = m.dialog;
  mapTitle = m.title;
  testFlags = m.testFlags;
  rollupFlags = m.rollupFlags;
  return true;
}
