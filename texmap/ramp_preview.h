#pragma once
// The arithmetic of the viewport preview: which ramp position each column shows
// and how a ramp colour becomes the bitmap's 16-bit channels. Pure, so the tests check it
// without a host bitmap, whose storage may keep fewer bits than the map writes.
#include "WindowsDefines.h"
#include "gradient_ramp.h"
#include "maxtypes.h"

// A ramp colour channel as the preview stores it: c clamped into 0..1 (not a number gives 0),
// times 65535 in single precision, truncated toward zero (1.0 gives 65535, 0.5 gives 32767).
// Only the picture is clamped; the ramp keeps its colours.
WORD PreviewChannel(float c);

// Row of an s-pixel preview: pixel x shows ColorAt at the single-precision sum of x steps of
// 1/s (0 at the left, never 1), r, g and b by PreviewChannel, alpha opaque.
void FillPreviewRow(const GradientRamp& ramp, int s, BMM_Color_64* row);
