// The host's reference bookkeeping. A maker's references are what its GetReference reports;
// the host also keeps its own record of every link (one entry per reference, on both sides),
// because a maker's virtual functions are gone by the time its base destructor runs.
#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "hold.h"
#include "ref.h"
#include "reference_restore.h"

struct RefLinks {
  std::vector<ReferenceTarget*> targets;    // one entry per reference this maker holds
  std::vector<ReferenceMaker*> dependents;  // one entry per reference held on this target
  uint64_t serial = 0;
  bool dying = false;
};

struct RefGraph {
  // Objects with links, by address, with a serial so a new object at a freed address is not
  // mistaken for the old one while a cascade of deletions runs. Never destroyed: modules'
  // static objects may outlive this file's statics.
  static std::unordered_map<const ReferenceMaker*, uint64_t>& Live() {
    static auto* live = new std::unordered_map<const ReferenceMaker*, uint64_t>;
    return *live;
  }
  static bool Alive(const ReferenceMaker* m, uint64_t serial) {
    auto it = Live().find(m);
    return it != Live().end() && it->second == serial;
  }

  static RefLinks& Links(ReferenceMaker* m) {
    if (!m->links) {
      static uint64_t nextSerial = 0;
      m->links = new RefLinks;
      m->links->serial = ++nextSerial;
      Live()[m] = m->links->serial;
    }
    return *m->links;
  }
  static void FreeLinks(ReferenceMaker* m) {
    Live().erase(m);
    delete m->links;
    m->links = nullptr;
  }

  static void Link(ReferenceMaker* m, ReferenceTarget* t) {
    Links(m).targets.push_back(t);
    Links(t).dependents.push_back(m);
  }
  template <class T>
  static bool EraseOne(std::vector<T*>& v, const void* p) {
    auto it = std::find(v.begin(), v.end(), p);
    if (it == v.end()) return false;
    v.erase(it);
    return true;
  }
  // Drops one link from m to t.
  static void Unlink(ReferenceMaker* m, ReferenceTarget* t) {
    if (m->links && EraseOne(m->links->targets, t) && t->links) EraseOne(t->links->dependents, m);
  }
  static void UnlinkAll(ReferenceMaker* m, ReferenceTarget* t) {
    while (m->links && EraseOne(m->links->targets, t) && t->links)
      EraseOne(t->links->dependents, m);
  }
  static bool IsDependent(ReferenceTarget* t, ReferenceMaker* m) {
    return t->links && std::find(t->links->dependents.begin(), t->links->dependents.end(), m) !=
                           t->links->dependents.end();
  }
  static std::vector<ReferenceMaker*> DistinctDependents(ReferenceTarget* t) {
    std::vector<ReferenceMaker*> out;
    if (t->links)
      for (ReferenceMaker* m : t->links->dependents)
        if (std::find(out.begin(), out.end(), m) == out.end()) out.push_back(m);
    return out;
  }
  static bool Dying(ReferenceMaker* m) { return m->links && m->links->dying; }

  static RefResult Notify(ReferenceMaker* m, const Interval& change, ReferenceTarget* t,
                          PartID& part, RefMessage msg, BOOL propagate) {
    return m->NotifyRefChanged(change, t, part, msg, propagate);
  }
  static void Set(ReferenceMaker* m, int i, ReferenceTarget* t) { m->SetReference(i, t); }

  // Tells t's dependents it is going away and clears their references to it.
  static void ClearRefsTo(ReferenceTarget* t) {
    if (!t->links) return;
    for (ReferenceMaker* m : DistinctDependents(t)) {
      if (!IsDependent(t, m)) continue;  // it let go while an earlier one was told
      PartID part = PART_ALL;
      Notify(m, FOREVER, t, part, REFMSG_TARGET_DELETED, TRUE);
      if (!IsDependent(t, m)) continue;
      for (int i = 0; i < m->NumRefs(); ++i)
        if (m->GetReference(i) == t) Set(m, i, nullptr);
      UnlinkAll(m, t);
    }
  }

  // What a maker's base destructor does: drops every link it recorded, then deletes the
  // targets that nothing else holds.
  static void ClearRecordedRefsFrom(ReferenceMaker* m) {
    if (!m->links) return;
    std::vector<ReferenceTarget*> targets;
    targets.swap(m->links->targets);
    std::vector<std::pair<ReferenceTarget*, uint64_t>> released;
    for (ReferenceTarget* t : targets) {
      if (t->links) EraseOne(t->links->dependents, m);
      bool seen = std::any_of(released.begin(), released.end(),
                              [t](const auto& r) { return r.first == t; });
      if (!seen && t->links) released.emplace_back(t, t->links->serial);
    }
    // Deleting one target may delete another of the list: check each is still the same object.
    for (auto [t, serial] : released)
      if (Alive(t, serial)) t->MaybeAutoDelete();
  }
};

void Animatable::DeleteThis() {
  delete this;
}
MSTR Animatable::SubAnimName(int, bool) {
  return MSTR();
}
Animatable::~Animatable() = default;

ReferenceMaker::~ReferenceMaker() {
  if (!links) return;
  links->dying = true;
  RefGraph::ClearRecordedRefsFrom(this);
  RefGraph::FreeLinks(this);
}

RefResult ReferenceMaker::ReplaceReference(int which, RefTargetHandle newtarg, BOOL delOld) {
  if (which < 0 || which >= NumRefs()) return REF_FAIL;
  ReferenceTarget* old = GetReference(which);
  if (old == newtarg) return REF_SUCCEED;
  if (newtarg && newtarg->TestForLoop(FOREVER, this) == REF_FAIL) return REF_FAIL;
  // While holding, the change can be undone; it is recorded before the old target may go.
  // Only targets are recorded: the step has to hold its maker by reference.
  if (IsRefTarget() && !RefGraph::Dying(this) && theHold.Holding())
    HoldReferenceChange(static_cast<ReferenceTarget*>(this), which, old, newtarg);
  if (newtarg) RefGraph::Link(this, newtarg);
  SetReference(which, newtarg);
  if (old) {
    RefGraph::Unlink(this, old);
    if (delOld) old->MaybeAutoDelete();
  }
  return REF_SUCCEED;
}

RefResult ReferenceMaker::DeleteReference(int i) {
  return ReplaceReference(i, nullptr, TRUE);
}

RefResult ReferenceMaker::DeleteAllRefsFromMe() {
  // NumRefs may shrink as references go: check the bound on every step.
  for (int i = NumRefs() - 1; i >= 0; --i)
    if (i < NumRefs() && GetReference(i)) DeleteReference(i);
  // Links the maker no longer reports through GetReference go too.
  RefGraph::ClearRecordedRefsFrom(this);
  return REF_SUCCEED;
}

RefResult ReferenceMaker::DeleteAllRefsToMe() {
  if (IsRefTarget()) RefGraph::ClearRefsTo(static_cast<ReferenceTarget*>(this));
  return REF_SUCCEED;
}

RefResult ReferenceMaker::DeleteAllRefs() {
  DeleteAllRefsToMe();
  return DeleteAllRefsFromMe();
}

void ReferenceMaker::DeleteMe() {
  RefGraph::Links(this).dying = true;
  DeleteAllRefs();
  DeleteThis();
}

int ReferenceMaker::FindRef(RefTargetHandle rtarg) {
  for (int i = 0; i < NumRefs(); ++i)
    if (GetReference(i) == rtarg) return i;
  return -1;
}

ReferenceTarget::~ReferenceTarget() {
  if (!links) return;
  links->dying = true;
  RefGraph::ClearRefsTo(this);
}

RefResult ReferenceTarget::NotifyDependents(const Interval& changeInt, PartID partID,
                                            RefMessage message, SClass_ID sclass, BOOL propagate,
                                            RefTargetHandle hTarg, NotifyDependentsOption) {
  if (!links) return REF_SUCCEED;
  uint64_t serial = links->serial;
  for (ReferenceMaker* m : RefGraph::DistinctDependents(this)) {
    // A dependent may delete this target or let go of it while it is told.
    if (!RefGraph::Alive(this, serial)) break;
    if (!RefGraph::IsDependent(this, m)) continue;
    if (sclass != NOTIFY_ALL && m->SuperClassID() != sclass) continue;
    PartID part = partID;
    RefResult r = RefGraph::Notify(m, changeInt, hTarg ? hTarg : this, part, message, propagate);
    bool passOn = r == REF_SUCCEED || r == REF_DONTCARE;
    if (passOn && propagate && message != REFMSG_TARGET_DELETED && m->IsRefTarget() &&
        !RefGraph::Dying(m))
      static_cast<ReferenceTarget*>(m)->NotifyDependents(changeInt, part, message, sclass,
                                                         propagate);
  }
  return REF_SUCCEED;
}

RefResult ReferenceTarget::TestForLoop(const Interval&, RefMakerHandle hmaker) {
  // A loop closes when hmaker is this target or something this target reaches.
  std::vector<ReferenceMaker*> stack{this}, seen;
  while (!stack.empty()) {
    ReferenceMaker* m = stack.back();
    stack.pop_back();
    if (m == hmaker) return REF_FAIL;
    if (std::find(seen.begin(), seen.end(), m) != seen.end()) continue;
    seen.push_back(m);
    if (m->links) stack.insert(stack.end(), m->links->targets.begin(), m->links->targets.end());
  }
  return REF_SUCCEED;
}

BOOL ReferenceTarget::HasDependents() {
  return links && !links->dependents.empty();
}

BOOL ReferenceTarget::HasRealDependents() {
  for (ReferenceMaker* m : RefGraph::DistinctDependents(this))
    if (m->IsRealDependency(this)) return TRUE;
  return FALSE;
}

RefResult ReferenceTarget::MaybeAutoDelete() {
  if (RefGraph::Dying(this) || HasRealDependents()) return REF_FAIL;
  return AutoDelete();
}

RefResult ReferenceTarget::AutoDelete() {
  DeleteMe();
  return REF_SUCCEED;
}

ReferenceMaker* DependentIterator::Next() {
  if (!target) return nullptr;
  std::vector<ReferenceMaker*> makers = RefGraph::DistinctDependents(target);
  return next < int(makers.size()) ? makers[size_t(next++)] : nullptr;
}
