// theHold and the undo stack: steps, nesting, cancel, the bound, and reference changes that
// come back with the targets they need.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_undo.h"
#include "ref_test_objects.h"
#include "scene_file.h"

namespace {

// Writes what it is asked into a shared log; counts the live ones.
class LogRestore : public RestoreObj {
 public:
  static inline int alive = 0;
  LogRestore(std::string* log, char name) : log(log), name(name) { ++alive; }
  ~LogRestore() override { --alive; }
  void Restore(int isUndo) override {
    *log += isUndo ? std::string("u") + name : std::string("c") + name;
  }
  void Redo() override { *log += std::string("r") + name; }
  void EndHold() override { ++ended; }
  int ended = 0;

 private:
  std::string* log;
  char name;
};

class HoldTest : public ::testing::Test {
 protected:
  void SetUp() override { HostClearUndo(); }
  void TearDown() override {
    HostClearUndo();
    HostSetUndoLimit(20);
    EXPECT_EQ(LogRestore::alive, 0);
  }
  void Step(const MCHAR* name, std::initializer_list<char> objects) {
    theHold.Begin();
    for (char c : objects) theHold.Put(new LogRestore(&log, c));
    theHold.Accept(name);
  }
  std::string log;
};

TEST_F(HoldTest, StepsUndoNewestFirstAndRedoInOrder) {
  Step(L"First", {'a', 'b'});
  Step(L"Second", {'c'});
  EXPECT_EQ(HostUndoCount(), 2);
  EXPECT_EQ(HostUndoDescription(), MSTR(L"Second"));
  ASSERT_TRUE(HostUndo());
  ASSERT_TRUE(HostUndo());
  EXPECT_FALSE(HostUndo());
  EXPECT_EQ(log, "ucubua");
  EXPECT_EQ(HostRedoDescription(), MSTR(L"First"));
  log.clear();
  ASSERT_TRUE(HostRedo());
  EXPECT_EQ(log, "rarb");
  // A new step drops what waited to be redone.
  Step(L"Third", {'d'});
  EXPECT_EQ(HostRedoCount(), 0);
  EXPECT_EQ(LogRestore::alive, 3);
  EXPECT_FALSE(HostRedo());
}

TEST_F(HoldTest, NestedHoldsMakeOneStepAndCancelRestoresWhatWasGathered) {
  theHold.Begin();
  theHold.Put(new LogRestore(&log, 'a'));
  theHold.Begin();
  theHold.Put(new LogRestore(&log, 'b'));
  theHold.Accept(L"Inner");
  EXPECT_TRUE(theHold.Holding());
  EXPECT_FALSE(HostUndo()) << "no undo in the middle of a gesture";
  theHold.Accept(L"Outer");
  EXPECT_EQ(HostUndoCount(), 1);
  EXPECT_EQ(HostUndoDescription(), MSTR(L"Outer"));

  theHold.Begin();
  auto* c = new LogRestore(&log, 'c');
  theHold.Put(c);
  theHold.Cancel();
  EXPECT_EQ(log, "cc");
  EXPECT_FALSE(theHold.Holding());
  EXPECT_EQ(HostUndoCount(), 1);
  EXPECT_EQ(LogRestore::alive, 2);
}

// Outside a hold the map's undo tests pin that nothing is recorded; here, a suspended hold.
TEST_F(HoldTest, NothingIsRecordedUnlessHolding) {
  theHold.Begin();
  theHold.Suspend();
  EXPECT_FALSE(theHold.Holding());
  theHold.Put(new LogRestore(&log, 'b'));
  theHold.Resume();
  theHold.Accept(L"Empty");
  EXPECT_EQ(HostUndoCount(), 0) << "a hold that gathered nothing makes no step";
  EXPECT_EQ(LogRestore::alive, 0);

  // While a step is restored, what the restore does records nothing either.
  struct Nested : public RestoreObj {
    int putsSeen = 0;
    void Restore(int) override {
      int isUndo = 0;
      EXPECT_TRUE(theHold.Restoring(isUndo));
      EXPECT_TRUE(isUndo);
      EXPECT_FALSE(theHold.Holding());
      theHold.Put(new LogRestore(nullptr, 'x'));
    }
    void Redo() override { EXPECT_TRUE(theHold.Redoing()); }
  };
  theHold.Begin();
  theHold.Put(new Nested);
  theHold.Accept(L"Nested");
  ASSERT_TRUE(HostUndo());
  ASSERT_TRUE(HostRedo());
  EXPECT_EQ(LogRestore::alive, 0);
}

TEST_F(HoldTest, TheStackIsBoundedAndClearedWithTheScene) {
  HostSetUndoLimit(2);
  Step(L"1", {'a'});
  Step(L"2", {'b'});
  Step(L"3", {'c'});
  EXPECT_EQ(HostUndoCount(), 2);
  EXPECT_EQ(LogRestore::alive, 2);
  while (HostUndo()) {
  }
  EXPECT_EQ(log, "ucub");
  ResetScene();
  EXPECT_EQ(HostUndoCount() + HostRedoCount(), 0);
  EXPECT_EQ(LogRestore::alive, 0);
}

// A reference replaced while holding: the step keeps the old target alive, undo and redo move
// the reference back and forth, and dropping the step deletes what nothing else holds.
TEST_F(HoldTest, ReferenceChangesComeBackWithTheirTargets) {
  int before = TestRefs::alive;
  auto* maker = new TestRefs(1);
  auto* owner = new TestRefs(1);
  owner->Take(0, maker);  // keeps the maker alive
  auto* a = new TestRefs(0);
  auto* b = new TestRefs(0);
  maker->Take(0, a);
  theHold.Begin();
  maker->Take(0, b);
  theHold.Accept(L"Swap");
  EXPECT_EQ(TestRefs::alive, before + 4) << "the step holds the old target";
  ASSERT_TRUE(HostUndo());
  EXPECT_EQ(maker->refs[0], a);
  ASSERT_TRUE(HostRedo());
  EXPECT_EQ(maker->refs[0], b);
  ASSERT_TRUE(HostUndo());
  EXPECT_EQ(maker->refs[0], a);
  HostClearUndo();
  EXPECT_EQ(TestRefs::alive, before + 3) << "b, held by nothing else, goes with the step";
  owner->DeleteMe();
  EXPECT_EQ(TestRefs::alive, before);
}

}  // namespace
