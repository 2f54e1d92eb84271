#pragma once
// The reference system: makers hold numbered references to targets; a target knows its
// dependents and tells them when it changes or goes away.
//
// All of it runs on the user-interface thread, as in the host: render threads never make,
// replace or delete references, so there is no lock here.
#include "animtbl.h"
#include "interval.h"

class ReferenceMaker;
class ReferenceTarget;
class ISave;
class ILoad;
class RemapDir;
struct RefGraph;  // the host's bookkeeping, in reference.cpp
typedef ULONG_PTR PartID;
typedef unsigned int RefMessage;
typedef ReferenceTarget* RefTargetHandle;
typedef ReferenceMaker* RefMakerHandle;

#define REFMSG_LOOPTEST 0x00000010
#define REFMSG_TARGET_DELETED 0x00000020
#define REFMSG_CHANGE 0x00000050
#define REFMSG_BEGIN_EDIT 0x00000090
#define REFMSG_END_EDIT 0x000000A0
#define REFMSG_SUBANIM_STRUCTURE_CHANGED 0x00000102
#define REFMSG_GET_PARAM_NAME 0x000000FB
#define REFMSG_GET_PARAM_DIM 0x000000FC
#define REFMSG_USER 0x00010000

#define NOTIFY_ALL 0xfffffff0
#define PART_TM (1 << 12)
#define PART_ALL 0xffffffff

enum RefResult {
  REF_FAIL = 0,
  REF_HALT = 0,
  REF_SUCCEED = 1,
  REF_DONTCARE = 2,
  REF_STOP = 3,
  REF_INVALID = 4,
  REF_AUTO_DELETE = 5
};

enum NotifyDependentsOption {
  REFNOTIFY_ALLOW_OPTIMIZATIONS = 0,
  REFNOTIFY_DISALLOW_OPTIMIZATIONS = 1
};

class CoreExport ReferenceMaker : public Animatable {
 public:
  ReferenceMaker() = default;

  // Makes reference `which` point at newtarg: the old target no longer lists this maker as a
  // dependent, the new one does. With delOld, an old target left without dependents is
  // deleted. Fails for an index outside NumRefs or when newtarg depends on this maker.
  RefResult ReplaceReference(int which, RefTargetHandle newtarg, BOOL delOld = TRUE);
  RefResult DeleteReference(int i);
  RefResult DeleteAllRefsFromMe();
  RefResult DeleteAllRefsToMe();
  RefResult DeleteAllRefs();
  // Clears every reference to and from this maker, then DeleteThis.
  void DeleteMe();

  virtual int NumRefs() { return 0; }
  virtual RefTargetHandle GetReference(int) { return nullptr; }
  int FindRef(RefTargetHandle rtarg);
  // The maker's own data in a scene file; the host saves and restores its references.
  virtual IOResult Save(ISave*) { return IO_OK; }
  virtual IOResult Load(ILoad*) { return IO_OK; }
  virtual BOOL IsRefTarget() { return FALSE; }
  // A weak reference (FALSE) does not keep its target alive.
  virtual BOOL IsRealDependency(ReferenceTarget*) { return TRUE; }

 protected:
  // Deleting a maker drops it from its targets' dependents; targets it owned alone go too.
  ~ReferenceMaker() override;
  virtual void SetReference(int, RefTargetHandle) {}
  virtual RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget,
                                     PartID& partID, RefMessage message, BOOL propagate) = 0;

 private:
  friend struct RefGraph;
  friend class ReferenceTarget;
  struct RefLinks* links = nullptr;  // targets of this maker, dependents of this target
};

class CoreExport ReferenceTarget : public ReferenceMaker {
 public:
  ReferenceTarget() = default;
  BOOL IsRefTarget() override { return TRUE; }

  // Sends a message to every dependent (once per maker, whatever its number of references
  // here), in the order they referenced this target. A dependent that answers REF_SUCCEED
  // or REF_DONTCARE passes the message on to its own dependents when propagate is set.
  virtual RefResult NotifyDependents(
      const Interval& changeInt, PartID partID, RefMessage message, SClass_ID sclass = NOTIFY_ALL,
      BOOL propagate = TRUE, RefTargetHandle hTarg = nullptr,
      NotifyDependentsOption notifyDependentsOption = REFNOTIFY_ALLOW_OPTIMIZATIONS);

  // REF_FAIL when making hmaker depend on this target would close a loop.
  RefResult TestForLoop(const Interval& refInterval, RefMakerHandle hmaker);
  BOOL HasDependents();
  BOOL HasRealDependents();
  // Deletes this target when nothing holds a real reference to it any more.
  RefResult MaybeAutoDelete();
  virtual RefResult AutoDelete();

  // A copy of this target whose references are remapped through remap; null for classes
  // that cannot be cloned.
  virtual RefTargetHandle Clone(RemapDir& remap);
  // Copies what the host keeps for every target; classes call it at the end of Clone.
  virtual void BaseClone(ReferenceTarget* from, ReferenceTarget* to, RemapDir& remap);

 protected:
  // Deleting a target sends REFMSG_TARGET_DELETED to its dependents and clears their
  // references to it through SetReference(i, nullptr). Deleted directly rather than through
  // DeleteMe, it is already half gone when they hear: compare the pointer, do not call it.
  ~ReferenceTarget() override;
};

// Maps the targets of an object being cloned to their clones, so that a target shared by
// several references is cloned once.
class CoreExport RemapDir : public MaxHeapOperators {
 public:
  virtual ~RemapDir() {}
  virtual RefTargetHandle FindMapping(RefTargetHandle from) = 0;
  // The clone of oldTarg: an existing mapping, or a new clone recorded for next time.
  virtual RefTargetHandle CloneRef(RefTargetHandle oldTarg);
  virtual void AddEntry(RefTargetHandle hfrom, RefTargetHandle hto) = 0;
  virtual void Clear() = 0;
  virtual void DeleteThis() = 0;
};

// A new, empty remap directory; the caller releases it with DeleteThis.
CoreExport RemapDir* NewRemapDir(BOOL use_A_WORK2_flag = FALSE);

// The part argument of REFMSG_GET_PARAM_NAME: the name of sub-animatable `index`, to fill.
class GetParamName : public MaxHeapOperators {
 public:
  MSTR& name;
  int index;
  GetParamName(MSTR& n, int i) : name(n), index(i) {}
};

// Walks the distinct dependents of a target.
class CoreExport DependentIterator : public MaxHeapOperators {
 public:
  explicit DependentIterator(ReferenceTarget* rtarget) : target(rtarget) {}
  ReferenceMaker* Next();
  void Reset() { next = 0; }

 private:
  ReferenceTarget* target;
  int next = 0;
};
