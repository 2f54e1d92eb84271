// The reference system where the map's own tests do not reach: loops, deletions from either
// end, and who is told what. Replacing references is the map's tests' every edit.
#include <gtest/gtest.h>

#include <tuple>

#include "ref_test_objects.h"

namespace {

class References : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(TestRefs::alive, aliveBefore) << "objects leaked or deleted twice";
  }
  int aliveBefore = TestRefs::alive;
};

TEST_F(References, LoopsAreRefused) {
  auto *a = new TestRefs(1), *b = new TestRefs(1), *c = new TestRefs(1);
  ASSERT_EQ(a->Take(0, b), REF_SUCCEED);
  ASSERT_EQ(b->Take(0, c), REF_SUCCEED);
  EXPECT_EQ(std::tuple(c->Take(0, a), a->Take(0, a)), std::tuple(REF_FAIL, REF_FAIL));
  EXPECT_TRUE(!c->GetReference(0) && !IsDependent(a, c) && a->GetReference(0) == b);
  a->DeleteMe();  // takes b and c, which only a's chain owned
}

// A target deleted under two makers, one holding it twice: each is told once and let go.
// A maker deleted releases what it held, and what nobody else holds goes with it.
TEST_F(References, DeletingATargetOrAMakerLeavesNoDanglingReference) {
  auto *m1 = new TestRefs(2), *m2 = new TestRefs(1), *t = new TestRefs(0);
  m1->Take(0, t);
  m1->Take(1, t);
  m2->Take(0, t);
  t->DeleteThis();
  EXPECT_TRUE(!m1->GetReference(0) && !m1->GetReference(1) && !m2->GetReference(0));
  for (TestRefs* m : {m1, m2}) {
    ASSERT_EQ(m->heard.size(), 1u) << "told once, however many references it held";
    EXPECT_EQ(std::tuple(m->heard[0].message, m->heard[0].from),
              std::tuple(unsigned(REFMSG_TARGET_DELETED), t));
  }
  auto* shared = new TestRefs(0);
  m1->Take(0, shared);
  m2->Take(0, shared);
  int before = TestRefs::alive;
  m1->DeleteThis();
  EXPECT_EQ(TestRefs::alive, before - 1) << "shared still has an owner";
  EXPECT_EQ(std::tuple(CountDependents(shared), IsDependent(shared, m2)), std::tuple(1, true));
  m2->DeleteThis();
  EXPECT_EQ(TestRefs::alive, before - 3);
}

TEST_F(References, ChangesReachDependentsAndPropagate) {
  auto *t = new TestRefs(0), *mid = new TestRefs(1), *top = new TestRefs(1);
  mid->Take(0, t);
  top->Take(0, mid);

  t->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
  ASSERT_TRUE(mid->heard.size() == 1u && top->heard.size() == 1u);
  // A propagated message comes from the one passing it on.
  EXPECT_EQ(std::tuple(mid->heard[0].from, top->heard[0].from), std::tuple(t, mid));

  mid->answer = REF_STOP;  // as the map answers the block's queries
  t->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
  EXPECT_EQ(top->heard.size(), 1u);
  top->DeleteThis();
}

}  // namespace
