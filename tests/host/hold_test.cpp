// theHold and the undo stack: nesting, cancel and restores. Order, suspension and references
// that come back with their targets are the map's undo tests'.
#include <gtest/gtest.h>

#include <string>

#include "host_undo.h"

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

 private:
  std::string* log;
  char name;
};

class HoldTest : public ::testing::Test {
 protected:
  void SetUp() override { HostClearUndo(); }
  void TearDown() override {
    HostClearUndo();
    EXPECT_EQ(LogRestore::alive, 0);
  }
  void Step(const MCHAR* name, std::initializer_list<char> objects) {
    theHold.Begin();
    for (char c : objects) theHold.Put(new LogRestore(&log, c));
    theHold.Accept(name);
  }
  std::string log;
};

// Nested holds make one step; a cancel restores what was gathered; a new step drops what
// waited to be redone; and a restore records nothing of what it does.
TEST_F(HoldTest, StepsNestCancelAndRestoreWithoutRecording) {
  Step(L"Before", {'z'});  // a step there to undo
  theHold.Begin();
  theHold.Put(new LogRestore(&log, 'a'));
  Step(L"Inner", {'b'});
  EXPECT_TRUE(theHold.Holding());
  EXPECT_FALSE(HostUndo()) << "no undo in the middle of a gesture";
  theHold.Accept(L"Outer");
  EXPECT_TRUE(HostUndoCount() == 2 && HostUndoDescription() == MSTR(L"Outer"));
  theHold.Begin();
  theHold.Put(new LogRestore(&log, 'c'));
  theHold.Cancel();
  EXPECT_TRUE(log == "cc" && !theHold.Holding());
  log.clear();
  ASSERT_TRUE(HostUndo());
  EXPECT_EQ(log, "ubua") << "newest first";
  Step(L"Next", {'d'});
  EXPECT_TRUE(HostRedoCount() == 0 && LogRestore::alive == 2);

  struct Nested : public RestoreObj {
    void Restore(int) override {
      int isUndo = 0;
      EXPECT_TRUE(theHold.Restoring(isUndo) && isUndo);
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
  EXPECT_EQ(LogRestore::alive, 2);
}

}  // namespace
