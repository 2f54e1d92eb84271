// The parameter block description as the module declares it, and a new block built from it.
#include <gtest/gtest.h>

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
  EXPECT_EQ(pbd->ID, 0);
  EXPECT_STREQ(pbd->int_name, L"Parameters");
  EXPECT_EQ(pbd->local_name, 0);
  EXPECT_EQ(pbd->flags, P_AUTO_CONSTRUCT + P_AUTO_UI);
  EXPECT_EQ(pbd->ref_no, 1);
  EXPECT_EQ(pbd->dlg_template, 1002);
  EXPECT_EQ(pbd->title, 2025);
  EXPECT_EQ(pbd->test_flags, 0);
  EXPECT_EQ(pbd->rollup_flags, 0);
  ASSERT_EQ(pbd->Count(), 17);

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
  };
  for (int i = 0; i < 17; ++i) {
    const Expected& e = expected[i];
    SCOPED_TRACE(e.id);
    EXPECT_EQ(pbd->IndextoID(i), e.id) << "declaration order";
    ParamDef& def = pbd->GetParamDef(e.id);
    EXPECT_STREQ(def.int_name, e.name);
    EXPECT_EQ(int(def.type), e.type);
    EXPECT_EQ(def.flags & (P_ANIMATABLE | P_OWNERS_REF | P_VARIABLE_SIZE), e.flags);
    EXPECT_EQ(def.local_name, e.label);
    EXPECT_EQ(def.ctrl_count > 0 ? def.ctrl_IDs[0] : -1, e.control);
  }
  // The radio groups: the first button is value 0.
  for (auto [id, first, second] : {std::tuple{4, 566, 564}, {12, 553, 552}, {6, 509, 510}}) {
    ParamDef& def = pbd->GetParamDef(ParamID(id));
    ASSERT_EQ(def.ctrl_type, TYPE_RADIO);
    ASSERT_EQ(def.ctrl_count, 2);
    EXPECT_EQ(def.ctrl_IDs[0], first);
    EXPECT_EQ(def.ctrl_IDs[1], second);
  }
  ParamDef& distance = pbd->GetParamDef(pb_distance);
  EXPECT_EQ(distance.ctrl_type, TYPE_SPINNER);
  EXPECT_EQ(distance.spin_type, EDITTYPE_UNIVERSE);
  EXPECT_EQ(distance.ctrl_IDs[1], 570);
  EXPECT_FLOAT_EQ(distance.scale, 0.01f);
  EXPECT_EQ(pbd->GetParamDef(pb_marker_map).ref_no, 3);
  EXPECT_EQ(pbd->GetParamDef(pb_marker_map).tab_size, 2);
  EXPECT_EQ(pbd->GetParamDef(pb_coords).ref_no, 0);
  EXPECT_EQ(pbd->GetParamDef(pb_output).ref_no, 2);
}

TEST(ParameterBlock, NewBlockDefaultsAndRanges) {
  ClassDesc* cd = LibClassDesc(0);
  BlockOwner* owner = new BlockOwner;
  cd->MakeAutoParamBlocks(owner);
  IParamBlock2* pb = owner->pblock;
  ASSERT_NE(pb, nullptr);
  EXPECT_FLOAT_EQ(pb->GetFloat(pb_distance), 0.1f);
  EXPECT_FLOAT_EQ(pb->GetFloat(pb_angle), 0.1f);
  EXPECT_EQ(pb->GetInt(pb_c_mult), 2);
  EXPECT_EQ(pb->GetInt(pb_matid1), 1);
  EXPECT_EQ(pb->GetInt(pb_matid2), 1);
  for (ParamID radio : {pb_smooth_eq, pb_matid_eq, pb_conditions}) EXPECT_EQ(pb->GetInt(radio), 1);
  for (ParamID box :
       {pb_selection_only, pb_smooth, pb_matid, pb_complanar, pb_open_edges, pb_matid_range})
    EXPECT_EQ(pb->GetInt(box), 0);

  // Values outside a range are clamped to it, as the spinners do.
  EXPECT_TRUE(pb->SetValue(pb_distance, 0, -5.0f));
  EXPECT_FLOAT_EQ(pb->GetFloat(pb_distance), 0.0f);
  EXPECT_TRUE(pb->SetValue(pb_c_mult, 0, 0));
  EXPECT_EQ(pb->GetInt(pb_c_mult), 1);
  EXPECT_TRUE(pb->SetValue(pb_matid2, 0, 5000));
  EXPECT_EQ(pb->GetInt(pb_matid2), 1000);
  EXPECT_TRUE(pb->SetValue(pb_angle, 0, 400.0f));
  EXPECT_FLOAT_EQ(pb->GetFloat(pb_angle), 360.0f);
  owner->DeleteThis();
}
