#pragma once
#include "WindowsDefines.h"
#include "gradient_ramp.h"
#include "ramp_control_geometry.h"

// Paints the ramp control at once through its window DC, outside any paint cycle: one
// vertical line per pixel column in the ramp's colour there (ColorAt), then every marker's
// glyph in sequence order, so a later marker covers an earlier one.
void DrawRamp(HWND hWnd, GradientRamp& ramp);

// A marker's glyph: two triangles s pixels high and 2h wide pointing inward from the client's
// top and bottom edges, apexes on the marker's column, filled with the active or the reactive
// glyph colour. The marker's position is clamped into 0..1 and stored back.
void DrawMarkerGlyph(HDC dc, const RECT& client, const RampGeometry& geometry, RampMarker& marker);

// A colour as GDI draws it, channel by channel as RampColorBytes.
inline COLORREF RampColorRef(const AColor& c) {
  RampRgb rgb = RampColorBytes(c);
  return RGB(rgb.r, rgb.g, rgb.b);
}
