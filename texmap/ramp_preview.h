#pragma once
// The arithmetic of the viewport preview: which ramp position each column shows
// and how a ramp colour becomes the bitmap's 16-bit channels. Pure, so the tests check it
// without a host bitmap, whose storage may keep fewer bits than the map writes.
#include "WindowsDefines.h"
#include "gradient_ramp.h"
#include "maxtypes.h"

// A ramp colour channel as the preview stores it: c x 65535 in single precision, truncated
// toward zero and kept in 16 bits (1.0 gives 65535, 0.5 gives 32767; above 1 or below 0 the
// value wraps, as the Windows build's conversion does). A product that is not a number or
// lies outside the 32-bit integers gives 0, which is what x86's conversion leaves there.
WORD PreviewChannel(float c);

// Row of an s-pixel preview: pixel x shows ColorAt at the single-precision sum of x steps of
// 1/s (0 at the left, never 1), r, g and b by PreviewChannel, alpha opaque.
void FillPreviewRow(const GradientRamp& ramp, int s, BMM_Color_64* row);
