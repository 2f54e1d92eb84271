// The parameter block description as the module declares it, and a new block built from it.
#include <gtest/gtest.h>

#include <tuple>

#include "iparamb2.h"
#include "kelvane_class_desc.h"
#include "module_exports.h"
#include "param_block.h"
#include "resource.h"

namespace {

// Stands in for the map: takes the block as its reference 1.
class BlockOwner : public ReferenceTarget {
 public:
  IParamBlock2* pblock = nullptr;
  int NumRefs() override { return 3; }
  RefTargetHandle GetReference(int i) override { return i == PBLOCK_REF ? pblock : nullptr; }

 protected:
  void SetReference(int i, RefTargetHandle target) override {
    if (i == PBLOCK_REF) pblock = static_cast<IParamBlock2*>(target);
  }
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage, BOOL) override {
    return REF_SUCCEED;
  }
};

struct Expected {
  ParamID id;
  const wchar_t* name;
  int type;
  int flags;
  StringResID label;
  int control;  // first control ID, or -1
};

}  // namespace

TEST(ParameterBlock, DescriptionMatchesTheRollout) {
  ClassDesc* cd = LibClassDesc(0);
  ASSERT_NE(cd, nullptr);
  ASSERT_EQ(cd->NumParamBlockDescs(), 1);
  ParamBlockDesc2* pbd = cd->GetParamBlockDesc(0);
  EXPECT_STREQ(pbd->int_name, L"Parameters");
  EXPECT_EQ(std::tuple(pbd->ID, pbd->local_name, pbd->flags, pbd->ref_no),
            std::tuple(0, 0, P_AUTO_CONSTRUCT + P_AUTO_UI + P_MULTIMAP, 1));
  EXPECT_EQ(std::tuple(pbd->dlg_template, pbd->title, pbd->test_flags, pbd->rollup_flags),
            std::tuple(1002, 2025, 0, 0));
  // "Parameters" first, then "Edge shape and units" below it.
  ASSERT_EQ(pbd->NumMaps(), 2);
  for (auto [index, id, dialog, title] : {std::tuple{0, 0, 1002, 2025}, {1, 1, 1003, 2034}}) {
    MapID mid = -1;
    int dlg = 0, test = -1, rollup = -1;
    StringResID ttl = 0;
    ASSERT_TRUE(pbd->GetMap(index, mid, dlg, ttl, test, rollup));
    EXPECT_EQ(std::tuple(int(mid), dlg, int(ttl), test, rollup),
              std::tuple(id, dialog, title, 0, 0));
  }
  ASSERT_EQ(pbd->Count(), 19);

  const Expected expected[] = {
      {0, L"Distance", TYPE_FLOAT, P_ANIMATABLE, 2010, 518},
      {1, L"Angle", TYPE_FLOAT, P_ANIMATABLE, IDS_ANGLE, 516},
      {2, L"Selection only", TYPE_BOOL, P_ANIMATABLE, 2026, 561},
      {3, L"smooth", TYPE_BOOL, P_ANIMATABLE, 2028, 563},
      {4, L"smooth_eq", TYPE_INT, 0, 2029, 566},
      {11, L"matid", TYPE_BOOL, P_ANIMATABLE, 2017, 551},
      {12, L"matid_eq", TYPE_INT, 0, 2021, 553},
      {5, L"complanar", TYPE_BOOL, P_ANIMATABLE, 2007, 508},
      {6, L"conditions", TYPE_INT, 0, 2008, 509},
      {7, L"open edges", TYPE_BOOL, P_ANIMATABLE, 2024, 559},
      {8, L"coords", TYPE_REFTARG, P_OWNERS_REF, 2009, -1},
      {9, L"marker_map", TYPE_TEXMAP_TAB, P_OWNERS_REF | P_VARIABLE_SIZE, 2016, -1},
      {10, L"output", TYPE_REFTARG, P_OWNERS_REF, 2032, -1},
      {13, L"c_mult", TYPE_INT, P_ANIMATABLE, 2004, 517},
      {14, L"matId_range", TYPE_BOOL, P_ANIMATABLE, 2022, 554},
      {15, L"MatId1", TYPE_INT, P_ANIMATABLE, 2019, 521},
      {16, L"MatId2", TYPE_INT, P_ANIMATABLE, 2020, 522},
      {17, L"edge_shape", TYPE_INT, 0, 2035, 601},
      {18, L"world_units", TYPE_BOOL, P_ANIMATABLE, 2036, 604},
  };
  for (int i = 0; i < 19; ++i) {
    const Expected& e = expected[i];
    SCOPED_TRACE(e.id);
    EXPECT_EQ(pbd->IndextoID(i), e.id) << "declaration order";
    ParamDef& def = pbd->GetParamDef(e.id);
    EXPECT_STREQ(def.int_name, e.name);
    EXPECT_EQ(int(def.type), e.type);
    EXPECT_EQ(def.flags & (P_ANIMATABLE | P_OWNERS_REF | P_VARIABLE_SIZE), e.flags);
    EXPECT_EQ(def.local_name, e.label);
    EXPECT_EQ(def.ctrl_count > 0 ? def.ctrl_IDs[0] : -1, e.control);
    if (def.ctrl_count > 0) {
      EXPECT_EQ(int(def.map_id), e.id >= 17 ? 1 : 0) << "its rollout";
    }
  }
  const ParamDef& shape = pbd->GetParamDef(pb_edge_shape);
  ASSERT_EQ(std::tuple(shape.ctrl_type, shape.ctrl_count), std::tuple(int(TYPE_RADIO), 3));
  EXPECT_EQ(std::tuple(shape.ctrl_IDs[0], shape.ctrl_IDs[1], shape.ctrl_IDs[2]),
            std::tuple(601, 602, 603));
  // The radio groups: the first button is value 0.
  for (auto [id, first, second] : {std::tuple{4, 566, 564}, {12, 553, 552}, {6, 509, 510}}) {
    ParamDef& def = pbd->GetParamDef(ParamID(id));
    ASSERT_EQ(def.ctrl_type, TYPE_RADIO);
    ASSERT_EQ(def.ctrl_count, 2);
    EXPECT_EQ(std::tuple(def.ctrl_IDs[0], def.ctrl_IDs[1]), std::tuple(first, second));
  }
  ParamDef& distance = pbd->GetParamDef(pb_distance);
  EXPECT_EQ(
      std::tuple(distance.ctrl_type, distance.spin_type, distance.ctrl_IDs[1], distance.scale),
      std::tuple(int(TYPE_SPINNER), int(EDITTYPE_UNIVERSE), 570, 0.01f));
  // The owner's references: coords 0, the block 1, output 2, the marker maps from 3.
  const ParamDef& maps = pbd->GetParamDef(pb_marker_map);
  EXPECT_EQ(std::tuple(maps.ref_no, maps.tab_size, pbd->GetParamDef(pb_coords).ref_no,
                       pbd->GetParamDef(pb_output).ref_no),
            std::tuple(3, 2, 0, 2));
}

TEST(ParameterBlock, NewBlockDefaultsAndRanges) {
  ClassDesc* cd = LibClassDesc(0);
  BlockOwner* owner = new BlockOwner;
  cd->MakeAutoParamBlocks(owner);
  IParamBlock2* pb = owner->pblock;
  ASSERT_NE(pb, nullptr);
  EXPECT_EQ(std::tuple(pb->GetFloat(pb_distance), pb->GetFloat(pb_angle)), std::tuple(0.1f, 0.1f));
  EXPECT_EQ(std::tuple(pb->GetInt(pb_c_mult), pb->GetInt(pb_matid1), pb->GetInt(pb_matid2)),
            std::tuple(2, 1, 1));
  for (ParamID radio : {pb_smooth_eq, pb_matid_eq, pb_conditions}) EXPECT_EQ(pb->GetInt(radio), 1);
  for (ParamID off : {pb_selection_only, pb_smooth, pb_matid, pb_complanar, pb_open_edges,
                      pb_matid_range, pb_edge_shape, pb_world_units})
    EXPECT_EQ(pb->GetInt(off), 0);

  // Values outside a range are clamped to it, as the spinners do.
  EXPECT_TRUE(pb->SetValue(pb_distance, 0, -5.0f));
  EXPECT_FLOAT_EQ(pb->GetFloat(pb_distance), 0.0f);
  EXPECT_TRUE(pb->SetValue(pb_c_mult, 0, 0));
  EXPECT_EQ(pb->GetInt(pb_c_mult), 1);
  EXPECT_TRUE(pb->SetValue(pb_matid2, 0, 5000));
  EXPECT_EQ(pb->GetInt(pb_matid2), 1000);
  EXPECT_TRUE(pb->SetValue(pb_angle, 0, 400.0f));
  EXPECT_FLOAT_EQ(pb->GetFloat(pb_angle), 360.0f);
  EXPECT_TRUE(pb->SetValue(pb_edge_shape, 0, 3));
  EXPECT_EQ(pb->GetInt(pb_edge_shape), 2);
  owner->DeleteThis();
}
