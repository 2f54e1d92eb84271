// The parameter block as saved scenes and scripts know it, and a new block built from it.
#include <gtest/gtest.h>

#include <tuple>

#include "iparamb2.h"
#include "kelvane_class_desc.h"
#include "module_exports.h"
#include "param_block.h"

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

// What saved scenes and scripts rely on: each parameter's ID, internal name and type.
struct Stored {
  ParamID id;
  const wchar_t* name;
  int type;
};

}  // namespace

TEST(ParameterBlock, StoredContract) {
  ClassDesc* cd = LibClassDesc(0);
  ASSERT_NE(cd, nullptr);
  ASSERT_EQ(cd->NumParamBlockDescs(), 1);
  ParamBlockDesc2* pbd = cd->GetParamBlockDesc(0);
  EXPECT_STREQ(pbd->int_name, L"Parameters");
  EXPECT_EQ(std::tuple(pbd->ID, pbd->flags, pbd->ref_no),
            std::tuple(0, P_AUTO_CONSTRUCT + P_AUTO_UI + P_MULTIMAP, 1));
  // "Parameters" (dialog 1002) first, then "Edge shape and units" (1003) below it.
  ASSERT_EQ(pbd->NumMaps(), 2);
  ASSERT_EQ(pbd->Count(), 20);
  const Stored stored[] = {
      {0, L"Distance", TYPE_FLOAT},      {1, L"Angle", TYPE_FLOAT},
      {2, L"Selection only", TYPE_BOOL}, {3, L"smooth", TYPE_BOOL},
      {4, L"smooth_eq", TYPE_INT},       {5, L"complanar", TYPE_BOOL},
      {6, L"conditions", TYPE_INT},      {7, L"open edges", TYPE_BOOL},
      {8, L"coords", TYPE_REFTARG},      {9, L"marker_map", TYPE_TEXMAP_TAB},
      {10, L"output", TYPE_REFTARG},     {11, L"matid", TYPE_BOOL},
      {12, L"matid_eq", TYPE_INT},       {13, L"c_mult", TYPE_INT},
      {14, L"matId_range", TYPE_BOOL},   {15, L"MatId1", TYPE_INT},
      {16, L"MatId2", TYPE_INT},         {17, L"edge_shape", TYPE_INT},
      {18, L"world_units", TYPE_BOOL},   {19, L"bump_mode", TYPE_INT},
  };
  for (const Stored& e : stored) {
    SCOPED_TRACE(e.id);
    ParamDef& def = pbd->GetParamDef(e.id);
    EXPECT_STREQ(def.int_name, e.name);
    EXPECT_EQ(int(def.type), e.type);
  }
  // The owner's references: coords 0, the block 1, output 2, the marker maps from 3.
  const ParamDef& maps = pbd->GetParamDef(pb_marker_map);
  EXPECT_EQ(std::tuple(maps.ref_no, maps.tab_size, pbd->GetParamDef(pb_coords).ref_no,
                       pbd->GetParamDef(pb_output).ref_no),
            std::tuple(3, 2, 0, 2));
}

// Values outside a declared range are clamped to it, as the spinners do.
TEST(ParameterBlock, NewBlockClampsToTheDeclaredRanges) {
  BlockOwner* owner = new BlockOwner;
  LibClassDesc(0)->MakeAutoParamBlocks(owner);
  IParamBlock2* pb = owner->pblock;
  ASSERT_NE(pb, nullptr);
  // Files saved before the edge shape, world units and bump mode load with today's behaviour.
  EXPECT_EQ(
      std::tuple(pb->GetInt(pb_edge_shape), pb->GetInt(pb_world_units), pb->GetInt(pb_bump_mode)),
      std::tuple(0, 0, 0));
  // The shading reads these without checking them again.
  const std::tuple<ParamID, int, int> ints[] = {
      {pb_c_mult, 0, 1}, {pb_matid2, 5000, 1000}, {pb_edge_shape, 3, 2}, {pb_bump_mode, 7, 1}};
  for (auto [id, given, kept] : ints) {
    EXPECT_TRUE(pb->SetValue(id, 0, given));
    EXPECT_EQ(pb->GetInt(id), kept) << id;
  }
  EXPECT_TRUE(pb->SetValue(pb_distance, 0, -5.0f) && pb->SetValue(pb_angle, 0, 400.0f));
  EXPECT_EQ(std::tuple(pb->GetFloat(pb_distance), pb->GetFloat(pb_angle)),
            std::tuple(0.0f, 360.0f));
  owner->DeleteThis();
}
