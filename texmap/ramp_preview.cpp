#include "ramp_preview.h"

WORD PreviewChannel(float c) {
  // Over-bright channels (maps and the colour picker allow them) would wrap in 16 bits and
  // show dark: the preview shows them at full strength. Not a number shows as 0.
  if (!(c > 0.0f)) return 0;
  if (c >= 1.0f) return 65535;
  return WORD(int(c * 65535.0f));
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
