#include "ramp_control_geometry.h"

#include <cmath>
#include <cstdlib>

#include "gradient_ramp.h"

RampGeometry::RampGeometry(int markerSize, int clientLeft, int clientRight)
    : markerSize(markerSize), half(markerSize / 2), clientWidth(clientRight - clientLeft) {
  span = std::abs((clientWidth - half) - half) + 1;
}

float RampGeometry::PositionAt(int x) const {
  return float(x - half) / float(span);
}

float RampGeometry::ClickPosition(int x) const {
  float t = std::fabs(PositionAt(x));
  if (t < kRampSnap) t = 0.0f;
  return t > 1.0f ? 1.0f : t;
}

float RampGeometry::DragPosition(int x) const {
  float t = PositionAt(x);
  if (!(t >= kRampSnap)) t = 0.0f;
  return t > 1.0f ? 1.0f : t;
}

float RampGeometry::HitTolerance() const {
  return float(markerSize) / float(span);
}

float RampGeometry::MarkerCentre(float position) const {
  return float(half) + position * float(span);
}

int RampGeometry::ColumnCount() const {
  return std::abs(clientWidth) + 1;
}

RampGeometry::Column RampGeometry::ColumnAt(int i) const {
  // Each column shows the colour at its pixel's centre.
  double off = i - markerSize * 0.5;
  return Column{int(std::trunc(half + off)), float((off + 0.5) / span)};
}

RampGeometry::Glyph RampGeometry::GlyphAt(float position) const {
  float px = float(span) * position;
  return Glyph{int(std::trunc(px)), int(std::trunc(float(2 * half) + px)),
               int(std::trunc(float(half) + px))};
}

float ClampGlyphPosition(float position) {
  if (position < 0.0f) return 0.0f;
  if (!(position <= 1.0f)) return 1.0f;
  return position;
}

BYTE RampColorByte(float channel) {
  // Maps and the colour picker allow channels above 1: shown as they would wrap in a byte, a
  // bright marker would look near black. Not a number shows as 0.
  if (!(channel > 0.0f)) return 0;
  if (channel >= 1.0f) return 255;
  return BYTE(int(std::trunc(double(channel * 255.0f) + 0.5)));
}

RampRgb RampColorBytes(const AColor& c) {
  return RampRgb{RampColorByte(c.r), RampColorByte(c.g), RampColorByte(c.b)};
}
