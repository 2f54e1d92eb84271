#pragma once
// The host's undo system: restore objects gathered while holding, accepted as one undo step.
#include "baseinterface.h"
#include "hostexport.h"
#include "strclass.h"

// One change a plug-in made to the scene, able to take it back and make it again. Put on
// theHold before the change is made; the host deletes it when its step leaves the stack.
class RestoreObj : public InterfaceServer {
 public:
  RestoreObj() {}
  virtual ~RestoreObj() {}
  // Back to the state as it was at Put. With isUndo set, keep what Redo needs first.
  virtual void Restore(int isUndo) = 0;
  virtual void Redo() = 0;
  // A rough size in bytes: the host bounds the stack by it.
  virtual int Size() { return 1; }
  // The hold that gathered this object was accepted or cancelled.
  virtual void EndHold() {}
  virtual MSTR Description() { return MSTR(L"---"); }
  virtual INT_PTR Execute(int, ULONG_PTR = 0, ULONG_PTR = 0, ULONG_PTR = 0) { return -1; }
};

// The global hold (theHold). UI code calls Begin when not Holding and Accept (or Cancel) when
// its gesture ends; other code only Puts, and only while Holding. Begin and Accept nest: the
// outermost Accept makes the undo step. Objects put while suspended, restoring or redoing,
// or with no hold begun, are deleted at once and record nothing.
class Hold : public MaxHeapOperators {
 public:
  CoreExport void Put(RestoreObj* rob);
  CoreExport void Begin();
  CoreExport void Suspend();
  CoreExport int IsSuspended();
  CoreExport void Resume();
  CoreExport int Holding();
  CoreExport int Restoring(int& isUndo);
  CoreExport int Redoing();
  CoreExport int RestoreOrRedoing();
  CoreExport void DisableUndo();
  CoreExport void EnableUndo();
  CoreExport BOOL IsUndoDisabled();
  // Restores what the open hold gathered, keeping the objects.
  CoreExport int Restore();
  // Deletes what the open hold gathered without restoring it.
  CoreExport void Release();
  // Closes a level of the hold; the outermost Accept makes one undo step named name.
  CoreExport void Accept(int nameID);
  CoreExport void Accept(const MCHAR* name);
  // Restores what the hold gathered, deletes it and closes the hold.
  CoreExport void Cancel();
  // Puts gathered so far in this session.
  CoreExport int GetGlobalPutCount();
};

extern CoreExport Hold theHold;
