#pragma once
#include "animtbl.h"
#include "interval.h"

class ReferenceTarget;
typedef ULONG_PTR PartID;
typedef unsigned int RefMessage;
typedef ReferenceTarget* RefTargetHandle;

#define REFMSG_CHANGE 0x00000050
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

class CoreExport ReferenceMaker : public Animatable {
 public:
  ReferenceMaker() = default;
  virtual int NumRefs() { return 0; }
  virtual RefTargetHandle GetReference(int) { return nullptr; }
  virtual BOOL IsRefTarget() { return FALSE; }

 protected:
  ~ReferenceMaker() override;
  virtual void SetReference(int, RefTargetHandle) {}
  virtual RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget,
                                     PartID& partID, RefMessage message, BOOL propagate) = 0;
};

class CoreExport ReferenceTarget : public ReferenceMaker {
 public:
  ReferenceTarget() = default;
  BOOL IsRefTarget() override { return TRUE; }

 protected:
  ~ReferenceTarget() override;
};
