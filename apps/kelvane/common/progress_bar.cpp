#include "common/progress_bar.h"

#include <algorithm>

namespace {
constexpr int kBarWidth = 40;
}

ProgressBar::ProgressBar(std::ostream& out, bool enabled, std::string label)
    : out(out), enabled(enabled), label(std::move(label)) {}

ProgressBar::~ProgressBar() {
  // Unfinished (an error stopped the work): end the line so the message starts on its own.
  if (enabled && shown >= 0 && !finished) out << '\n' << std::flush;
}

void ProgressBar::Show(double fraction) {
  if (!enabled) return;
  int percent = int(std::clamp(fraction, 0.0, 1.0) * 100.0);
  if (percent == shown) return;
  shown = percent;
  int filled = percent * kBarWidth / 100;
  out << '\r' << label << " [" << std::string(size_t(filled), '#')
      << std::string(size_t(kBarWidth - filled), ' ') << "] " << percent << '%' << std::flush;
}

void ProgressBar::Finish() {
  if (!enabled || finished) return;
  Show(1.0);
  out << '\n' << std::flush;
  finished = true;
}
