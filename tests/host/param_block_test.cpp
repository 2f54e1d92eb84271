// Parameter blocks built from a description written the way a module writes its own.
#include <gtest/gtest.h>

#include <tuple>

#include "hold.h"
#include "host_undo.h"
#include "iparamb2.h"
#include "ref_test_objects.h"

namespace {

enum { kBlock = 0 };
enum { pRadius, pMode, pUvw, pMaps, pBump, pSpread };
// The owner's references: 0 the "uvw" target, 1 the block, 2.. the "maps" entries.
constexpr int kOwnerRefs = 6;

class TestClassDesc : public ClassDesc2 {
 public:
  int IsPublic() override { return TRUE; }
  void* Create(BOOL) override {
    auto* owner = new TestRefs(kOwnerRefs);
    MakeAutoParamBlocks(owner);
    return owner;
  }
  const MCHAR* ClassName() override { return _M("Test owner"); }
  const MCHAR* NonLocalizedClassName() override { return _M("Test owner"); }
  SClass_ID SuperClassID() override { return 0x7e57; }
  Class_ID ClassID() override { return Class_ID(0x1234, 0x5678); }
  const MCHAR* Category() override { return _M(""); }
};

// Declared before its class descriptor is built, as static objects of separate files may be.
extern TestClassDesc testClass;
// clang-format off
ParamBlockDesc2 testParams(kBlock, _M("Parameters"), 0, &testClass, P_AUTO_CONSTRUCT | P_AUTO_UI,
    1, 1002, 2025, 0, 0, nullptr,
    pRadius, _M("radius"), TYPE_WORLD, P_ANIMATABLE, 2010, p_default, 0.1f, p_range, 0.0f, 1000.0f,
        p_ui, TYPE_SPINNER, EDITTYPE_UNIVERSE, 518, 570, 0.01f, p_end,
    pMode, _M("mode"), TYPE_INT, 0, 2008, p_default, 1, p_range, 0, 2,
        p_ui, TYPE_RADIO, 3, 509, 510, 511, p_end,
    pUvw, _M("uvw"), TYPE_REFTARG, P_OWNERS_REF, 2009, p_refno, 0, p_end,
    pMaps, _M("maps"), TYPE_TEXMAP_TAB, 2, P_OWNERS_REF | P_VARIABLE_SIZE, 2016, p_refno, 2, p_end,
    pBump, _M("bump"), TYPE_TEXMAP, 0, 2015, p_end,
    pSpread, _M("spread"), TYPE_ANGLE_TAB, 3, 0, 2030, p_default, 45.0f, p_range, 0.0f, 90.0f, p_end,
    p_end);
// clang-format on
TestClassDesc testClass;

class ParamBlock : public ::testing::Test {
 protected:
  void SetUp() override {
    owner = static_cast<TestRefs*>(testClass.Create(FALSE));
    block = static_cast<IParamBlock2*>(owner->GetReference(1));
    ASSERT_NE(block, nullptr);
  }
  void TearDown() override {
    owner->DeleteThis();  // takes the block and every map only they held
    EXPECT_EQ(TestRefs::alive, refsBefore);
    EXPECT_EQ(TestMap::alive, mapsBefore);
  }
  int refsBefore = TestRefs::alive;
  int mapsBefore = TestMap::alive;
  TestRefs* owner = nullptr;
  IParamBlock2* block = nullptr;
};

// Reads narrow the validity and never widen it.
TEST_F(ParamBlock, ReadsNarrowValidity) {
  Interval valid(10, 20), empty = NEVER;
  float f = 0.0f;
  int i = 7;
  ASSERT_TRUE(block->GetValue(pRadius, 15, f, valid) && block->GetValue(pMode, 0, i, empty));
  EXPECT_TRUE(valid == Interval(10, 20) && empty.Empty());
}

TEST_F(ParamBlock, OwnersReferenceParametersAreTheOwnersReferences) {
  auto* a = new TestMap;
  auto* b = new TestMap;
  ASSERT_TRUE(block->SetValue(pMaps, 0, a, 1));
  EXPECT_TRUE(owner->GetReference(3) == a && block->GetTexmap(pMaps, 0, 1) == a);
  EXPECT_TRUE(IsDependent(a, owner) && !IsDependent(a, block));
  owner->Take(2, b);  // the owner's own change shows through the block
  EXPECT_EQ(block->GetTexmap(pMaps, 0, 0), b);

  auto* uvw = new TestRefs(0);
  ASSERT_TRUE(block->SetValue(pUvw, 0, static_cast<ReferenceTarget*>(uvw)));
  EXPECT_TRUE(owner->GetReference(0) == uvw && block->GetReferenceTarget(pUvw) == uvw);
  EXPECT_EQ(block->GetTexmap(pUvw), nullptr) << "not a map, so not read as one";

  // Restoring a count never deletes the owner's maps; entries past it are not readable.
  owner->heard.clear();
  block->SetCount(pMaps, 1);
  EXPECT_TRUE(owner->GetReference(3) == a && TestMap::alive == mapsBefore + 2);
  EXPECT_EQ(block->GetTexmap(pMaps, 0, 1), nullptr);
  EXPECT_TRUE(owner->heard.size() == 1u && block->LastNotifyParamID() == pMaps);
  block->SetCount(pMaps, 1);
  EXPECT_EQ(owner->heard.size(), 1u) << "no change, no message";
  block->SetCount(pMaps, 2);
  EXPECT_EQ(block->GetTexmap(pMaps, 0, 1), a);
}

// What the owner's dependents saw of "bump" when the block told them of a change.
Texmap* bumpWhenHeard = nullptr;

// Undo puts a table back as it was, count and values, and the dependents hear a reference
// parameter's undo only once the old target is back in it.
TEST_F(ParamBlock, TableEditsAndReferenceParametersAreUndoable) {
  HostClearUndo();
  auto spread = [this] {
    std::vector<float> v;
    for (int k = 0; k < block->Count(pSpread); ++k) v.push_back(block->GetFloat(pSpread, 0, k));
    return v;
  };
  const std::vector<float> before = spread();
  theHold.Begin();
  block->SetValue(pSpread, 0, 10.0f, 1);
  block->SetCount(pSpread, 5);
  theHold.Accept(L"Spread");
  const std::vector<float> after = spread();
  ASSERT_EQ(after.size(), 5u);
  ASSERT_TRUE(HostUndo());
  EXPECT_EQ(spread(), before);
  ASSERT_TRUE(HostRedo());
  EXPECT_EQ(spread(), after);

  auto* bump = new TestMap;
  ASSERT_TRUE(block->SetValue(pBump, 0, bump));
  theHold.Begin();
  block->SetValue(pBump, 0, static_cast<Texmap*>(nullptr));
  theHold.Accept(L"Clear");
  EXPECT_EQ(TestMap::alive, mapsBefore + 1) << "the step keeps the cleared map";
  owner->onMessage = [](TestRefs* self, RefMessage msg) {
    auto* b = static_cast<IParamBlock2*>(self->GetReference(1));
    if (msg == REFMSG_CHANGE && b->LastNotifyParamID() == pBump)
      bumpWhenHeard = b->GetTexmap(pBump);
  };
  bumpWhenHeard = nullptr;
  ASSERT_TRUE(HostUndo());
  EXPECT_TRUE(block->GetTexmap(pBump) == bump && bumpWhenHeard == bump);
  ASSERT_TRUE(HostRedo());
  EXPECT_TRUE(block->GetTexmap(pBump) == nullptr && bumpWhenHeard == nullptr);
  owner->onMessage = nullptr;

  ASSERT_TRUE(HostUndo());
  HostClearUndo();
  theHold.Begin();
  block->SetValue(pBump, 0, static_cast<Texmap*>(nullptr));
  theHold.Cancel();
  EXPECT_EQ(block->GetTexmap(pBump), bump) << "a cancelled hold puts the map back";
  HostClearUndo();
}

}  // namespace
