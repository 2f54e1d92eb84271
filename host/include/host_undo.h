#pragma once
// The application's Edit > Undo and Redo over the steps theHold accepted. Not an SDK header:
// for tests and programs that stand in for the application.
#include "hold.h"

// Takes back the newest step (each of its objects, newest first); false with none to undo.
CoreExport bool HostUndo();
// Makes the newest undone step again; false with none to redo. A new step drops every step
// waiting to be redone.
CoreExport bool HostRedo();
// The step's name, as the Edit menu shows it; empty when there is none.
CoreExport MSTR HostUndoDescription();
CoreExport MSTR HostRedoDescription();
CoreExport int HostUndoCount();
CoreExport int HostRedoCount();
// Drops every step, undone or not, as a scene reset or load does.
CoreExport void HostClearUndo();
// At most this many steps (at least 1) are kept; the oldest go first. 20 by default. A step
// is also dropped while the stack's objects together exceed HostUndoByteLimit.
CoreExport void HostSetUndoLimit(int steps);
inline constexpr long long HostUndoByteLimit = 64ll << 20;
