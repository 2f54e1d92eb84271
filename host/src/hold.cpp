// theHold and the application's undo stack.
#include <algorithm>
#include <deque>
#include <vector>

#include "host_undo.h"

Hold theHold;

namespace {
struct Step {
  MSTR name;
  std::vector<RestoreObj*> objects;  // in the order they were put
  long long bytes = 0;
};

struct HoldState {
  int depth = 0;
  int suspended = 0;
  int disabled = 0;
  bool restoring = false;
  bool isUndo = false;
  bool redoing = false;
  int puts = 0;
  int limit = 20;
  std::vector<RestoreObj*> open;
  std::deque<Step> undo, redo;  // newest at the back
};

// Never destroyed: modules' objects on the stack may outlive this file's statics.
HoldState& State() {
  static auto* state = new HoldState;
  return *state;
}

// Deleting an object may release references; whatever that touches records nothing.
void Delete(std::vector<RestoreObj*>& objects) {
  HoldState& s = State();
  ++s.suspended;
  std::vector<RestoreObj*> doomed;
  doomed.swap(objects);
  for (RestoreObj* rob : doomed) delete rob;
  --s.suspended;
}

void EndHold(const std::vector<RestoreObj*>& objects) {
  for (RestoreObj* rob : objects) rob->EndHold();
}

void RestoreAll(const std::vector<RestoreObj*>& objects, bool isUndo) {
  HoldState& s = State();
  bool wasRestoring = s.restoring, wasUndo = s.isUndo;
  s.restoring = true;
  s.isUndo = isUndo;
  for (auto it = objects.rbegin(); it != objects.rend(); ++it) (*it)->Restore(isUndo);
  s.restoring = wasRestoring;
  s.isUndo = wasUndo;
}

void DropSteps(std::deque<Step>& steps) {
  while (!steps.empty()) {
    Step step = std::move(steps.front());
    steps.pop_front();
    Delete(step.objects);
  }
}

void Trim() {
  HoldState& s = State();
  auto bytes = [&s] {
    long long total = 0;
    for (const Step& step : s.undo) total += step.bytes;
    return total;
  };
  while (int(s.undo.size()) > s.limit || (s.undo.size() > 1 && bytes() > HostUndoByteLimit)) {
    Step step = std::move(s.undo.front());
    s.undo.pop_front();
    Delete(step.objects);
  }
}

MSTR Name(const std::deque<Step>& steps) {
  return steps.empty() ? MSTR() : steps.back().name;
}
}  // namespace

void Hold::Put(RestoreObj* rob) {
  if (!rob) return;
  HoldState& s = State();
  if (s.depth == 0 || s.suspended || s.restoring || s.redoing) {
    std::vector<RestoreObj*> one{rob};
    Delete(one);
    return;
  }
  s.open.push_back(rob);
  ++s.puts;
}

void Hold::Begin() {
  ++State().depth;
}

void Hold::Suspend() {
  ++State().suspended;
}

int Hold::IsSuspended() {
  return State().suspended > 0;
}

void Hold::Resume() {
  HoldState& s = State();
  if (s.suspended > 0) --s.suspended;
}

int Hold::Holding() {
  HoldState& s = State();
  return s.depth > 0 && !s.suspended && !s.restoring && !s.redoing;
}

int Hold::Restoring(int& isUndo) {
  HoldState& s = State();
  isUndo = s.isUndo;
  return s.restoring;
}

int Hold::Redoing() {
  return State().redoing;
}

int Hold::RestoreOrRedoing() {
  HoldState& s = State();
  return s.restoring || s.redoing;
}

void Hold::DisableUndo() {
  ++State().disabled;
}

void Hold::EnableUndo() {
  HoldState& s = State();
  if (s.disabled > 0) --s.disabled;
}

BOOL Hold::IsUndoDisabled() {
  return State().disabled > 0;
}

int Hold::Restore() {
  HoldState& s = State();
  if (s.depth == 0) return 0;
  RestoreAll(s.open, false);
  return 1;
}

void Hold::Release() {
  HoldState& s = State();
  EndHold(s.open);
  Delete(s.open);
}

void Hold::Accept(int) {
  Accept(static_cast<const MCHAR*>(nullptr));
}

void Hold::Accept(const MCHAR* name) {
  HoldState& s = State();
  if (s.depth == 0 || --s.depth > 0) return;
  std::vector<RestoreObj*> objects;
  objects.swap(s.open);
  EndHold(objects);
  if (objects.empty() || s.disabled) {
    Delete(objects);
    return;
  }
  Step step;
  step.name = name ? MSTR(name) : MSTR();
  for (RestoreObj* rob : objects) step.bytes += std::max(rob->Size(), 0);
  step.objects = std::move(objects);
  DropSteps(s.redo);
  s.undo.push_back(std::move(step));
  Trim();
}

void Hold::Cancel() {
  HoldState& s = State();
  if (s.depth == 0) return;
  --s.depth;
  std::vector<RestoreObj*> objects;
  objects.swap(s.open);
  RestoreAll(objects, false);
  EndHold(objects);
  Delete(objects);
}

int Hold::GetGlobalPutCount() {
  return State().puts;
}

bool HostUndo() {
  HoldState& s = State();
  if (s.depth > 0 || s.undo.empty()) return false;  // not in the middle of a gesture
  Step step = std::move(s.undo.back());
  s.undo.pop_back();
  RestoreAll(step.objects, true);
  s.redo.push_back(std::move(step));
  return true;
}

bool HostRedo() {
  HoldState& s = State();
  if (s.depth > 0 || s.redo.empty()) return false;
  Step step = std::move(s.redo.back());
  s.redo.pop_back();
  s.redoing = true;
  for (RestoreObj* rob : step.objects) rob->Redo();
  s.redoing = false;
  s.undo.push_back(std::move(step));
  return true;
}

MSTR HostUndoDescription() {
  return Name(State().undo);
}

MSTR HostRedoDescription() {
  return Name(State().redo);
}

int HostUndoCount() {
  return int(State().undo.size());
}

int HostRedoCount() {
  return int(State().redo.size());
}

void HostClearUndo() {
  HoldState& s = State();
  DropSteps(s.undo);
  DropSteps(s.redo);
}

void HostSetUndoLimit(int steps) {
  State().limit = std::max(steps, 1);
  Trim();
}
