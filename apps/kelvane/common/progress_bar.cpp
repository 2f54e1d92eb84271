#include "common/progress_bar.h"

#include <algorithm>

namespace {
constexpr int kBarWidth = 40;
// Back to the start of the line and clear it.
constexpr const char* kWipe = "\r\033[K";
}  // namespace

ProgressBar::ProgressBar(std::ostream* terminal, std::string label)
    : out(terminal), label(std::move(label)) {}

ProgressBar::~ProgressBar() {
  // Unfinished (an error stopped the work): wipe the bar so the message has the line.
  Finish();
}

void ProgressBar::Show(double fraction) {
  if (!out || finished) return;
  int percent = int(std::clamp(fraction, 0.0, 1.0) * 100.0);
  if (percent == shown) return;
  shown = percent;
  int filled = percent * kBarWidth / 100;
  *out << kWipe << label << " [" << std::string(size_t(filled), '#')
       << std::string(size_t(kBarWidth - filled), ' ') << "] " << percent << '%' << std::flush;
}

void ProgressBar::Finish() {
  if (!out || finished) return;
  finished = true;
  if (shown >= 0) *out << kWipe << std::flush;
}
