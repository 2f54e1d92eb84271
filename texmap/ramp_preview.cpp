#include "ramp_preview.h"

#include <cmath>

WORD PreviewChannel(float c) {
  const float v = c * 65535.0f;
  // Truncation is only defined inside the int range; beyond it the x86 conversion answers
  // 0x80000000, whose low 16 bits are 0.
  if (!(v > -2147483648.0f && v < 2147483648.0f)) return 0;
  return WORD(int(v));
}

void FillPreviewRow(const GradientRamp& ramp, int s, BMM_Color_64* row) {
  const float step = 1.0f / float(s);
  float position = 0.0f;
  for (int x = 0; x < s; ++x) {
    const AColor c = ramp.ColorAt(position);
    row[x] = BMM_Color_64(PreviewChannel(c.r), PreviewChannel(c.g), PreviewChannel(c.b), 65535);
    position += step;
  }
}
