#pragma once
#include <ostream>
#include <string>

// A one-line progress bar for one long step, redrawn in place and wiped when the step ends, so
// the steps of a command take turns on one line. Drawn only on a terminal: given no stream (a
// log or a pipe), it shows nothing, so scripted runs stay clean.
class ProgressBar {
 public:
  // terminal: where to draw, or null for nowhere.
  ProgressBar(std::ostream* terminal, std::string label);
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // fraction 0..1; redraws only when the shown percentage changes.
  void Show(double fraction);
  // Ends the step and wipes its line.
  void Finish();

 private:
  std::ostream* out;
  std::string label;
  int shown = -1;
  bool finished = false;
};
