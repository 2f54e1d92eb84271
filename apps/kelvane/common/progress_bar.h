#pragma once
#include <ostream>
#include <string>

// A one-line progress bar, redrawn in place. Drawn only on a terminal: a log or a pipe gets
// nothing, so scripted runs stay clean.
class ProgressBar {
 public:
  ProgressBar(std::ostream& out, bool enabled, std::string label);
  ~ProgressBar();
  // fraction 0..1; redraws only when the shown percentage changes.
  void Show(double fraction);
  // Completes the bar and ends its line.
  void Finish();

 private:
  std::ostream& out;
  bool enabled;
  std::string label;
  int shown = -1;
  bool finished = false;
};
