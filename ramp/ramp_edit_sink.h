#pragma once

// Whoever owns the ramp that a ramp control edits: told after each change the control makes
// to it (a marker added, copied, moved, dropped, merged or deleted, or the glyph colours set),
// on the user-interface thread, before the control repaints or posts its notification. The
// owner brings what depends on the markers in step at once rather than when the posted
// notification arrives, which may be never if the dialog goes first.
class RampEditSink {
 public:
  virtual void RampEdited() = 0;

 protected:
  ~RampEditSink() = default;
};
