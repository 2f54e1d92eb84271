#pragma once
#include "WindowsDefines.h"
#include "acolor.h"

// The ramp control's arithmetic between pixels and ramp positions, kept free of windows so it
// is tested natively. Every gesture and the drawing share one mapping: with s the ramp's
// markerSize and h = s / 2, the inner band runs from x = h to x = Wc - h of a client area Wc
// pixels wide, D = |(Wc - h) - h| + 1, a pixel column x is at (x - h) / D and a marker at p
// is centred on x = h + p * D.
struct RampGeometry {
  int markerSize = 8;   // s: glyph height, hit reach
  int half = 4;         // h: half a glyph's width, and the band's side margins
  int clientWidth = 0;  // Wc
  int span = 1;         // D, never below 1

  RampGeometry() = default;
  RampGeometry(int markerSize, int clientLeft, int clientRight);

  // (x - h) / D, neither snapped nor clamped: what a right click deletes around.
  float PositionAt(int x) const;
  // A left-button press: the absolute value, so the left margin maps to small positive
  // positions, then below 0.0001 snapped to 0 and at most 1.
  float ClickPosition(int x) const;
  // A drag step or release: 0 unless at least 0.0001, at most 1.
  float DragPosition(int x) const;
  // Reach of a click in position units: s pixels either side of a glyph's centre.
  float HitTolerance() const;
  // Pixel column of a marker's centre.
  float MarkerCentre(float position) const;

  // DrawRamp paints |Wc| + 1 columns (one beyond the client width).
  int ColumnCount() const;
  // Column i of the band: drawn at pixel x with the ramp's colour at position.
  struct Column {
    int x;
    float position;
  };
  Column ColumnAt(int i) const;

  // The x values of a marker glyph at a (clamped) position: both triangles have their base
  // from left to right on the client's top or bottom edge and their apex s pixels inward.
  struct Glyph {
    int left;
    int right;
    int apex;
  };
  Glyph GlyphAt(float position) const;
};

// A glyph's position as the drawing stores it back: below 0 becomes 0, anything not <= 1
// (NaN included) becomes 1.
float ClampGlyphPosition(float position);

// One channel of a colour as a GDI byte: trunc(c * 255 + 0.5) of the channel clamped into
// 0..1 (not a number gives 0). Only what is shown is clamped, never what is stored.
BYTE RampColorByte(float channel);

// A colour as the three GDI bytes red, green, blue.
struct RampRgb {
  BYTE r, g, b;
  bool operator==(const RampRgb&) const = default;
};
RampRgb RampColorBytes(const AColor& c);
