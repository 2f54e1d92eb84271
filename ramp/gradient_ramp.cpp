#include "gradient_ramp.h"

#include <algorithm>
#include <cmath>

namespace {

// A position that is not a number has no place on the ramp and would break the sort's
// ordering; it goes to the start instead.
float PlaceablePosition(float t) {
  return std::isnan(t) ? 0.0f : t;
}

bool ByPosition(const RampMarker& a, const RampMarker& b) {
  return a.position < b.position;
}

}  // namespace

void GradientRamp::InitDefault() {
  markerSize = 8;
  markers.clear();
  const float grey[] = {0.0f, 0.5f, 1.0f};
  for (float g : grey) {
    RampMarker m;
    m.position = g;
    m.color = AColor(g, g, g, 1.0f);
    markers.push_back(m);
  }
  SetActiveMarker(0);
}

void GradientRamp::SetActiveMarker(int index) {
  if (index < 0) index = 0;
  for (int i = 0; i < int(markers.size()); ++i) {
    if (i == index)
      markers[i].flags |= MarkerActive;
    else
      markers[i].flags &= ~MarkerActive;
  }
}

void GradientRamp::ClearMarkerFlags() {
  for (RampMarker& m : markers) m.flags &= ~(MarkerActive | MarkerDragging);
}

int GradientRamp::ActiveMarkerIndex(DWORD flagMask) {
  for (int i = 0; i < int(markers.size()); ++i)
    if (markers[i].flags & flagMask) return i;
  SetActiveMarker(0);
  return 0;
}

RampMarker* GradientRamp::FindMarkerByFlag(DWORD flagMask) {
  for (RampMarker& m : markers)
    if (m.flags & flagMask) return &m;
  return nullptr;
}

const RampMarker* GradientRamp::FindMarkerByFlag(DWORD flagMask) const {
  return const_cast<GradientRamp*>(this)->FindMarkerByFlag(flagMask);
}

RampMarker* GradientRamp::HitTestMarker(float t, float tolerance) {
  RampMarker* candidate = nullptr;
  for (RampMarker& m : markers) {
    if (m.flags & MarkerDragging) return &m;
    if (std::fabs(m.position - t) < tolerance) candidate = &m;
  }
  return candidate;
}

RampMarker* GradientRamp::AddMarker(float t, const AColor& color) {
  t = PlaceablePosition(t);
  markers.push_back(NewMarker(t, color));
  SortMarkers();
  return HitTestMarker(t, 0.001f);
}

RampMarker GradientRamp::NewMarker(float t, const AColor& color) const {
  RampMarker m;  // an empty ramp has no glyph colours to copy: the defaults stand
  if (!markers.empty()) {
    m.activeGlyphColor = markers.front().activeGlyphColor;
    m.reactiveGlyphColor = markers.front().reactiveGlyphColor;
  }
  m.position = t;
  m.color = color;
  return m;
}

RampMarker* GradientRamp::DuplicateActiveMarker(float t) {
  t = PlaceablePosition(t);
  const RampMarker* source = DuplicationSource(t);
  // Nothing to copy on an empty ramp: no marker is added.
  if (!source) return nullptr;
  RampMarker copy = *source;
  copy.flags = 0;
  copy.position = t;
  markers.push_back(copy);
  SortMarkers();
  return HitTestMarker(t, 0.001f);
}

const RampMarker* GradientRamp::DuplicationSource(float t) const {
  if (markers.empty()) return nullptr;
  if (const RampMarker* active = FindMarkerByFlag(MarkerActive)) return active;
  // A merge can leave no marker active. Copy the one the ramp shows at t, so the user gets
  // what they see: found with ColorAt's scan, the last at or left of t, else the first.
  size_t shown = 0;
  while (shown < markers.size() && t >= markers[shown].position) ++shown;
  return &markers[shown == 0 ? 0 : shown - 1];
}

void GradientRamp::DeleteMarkerAt(float t, float tolerance) {
  if (markers.size() < 3) return;
  for (int i = 0; i < int(markers.size()); ++i) {
    if (std::fabs(markers[i].position - t) < tolerance) {
      markers.erase(markers.begin() + i);
      SetActiveMarker(i - 1);
      return;
    }
  }
}

void GradientRamp::SortMarkers() {
  for (RampMarker& m : markers) m.position = PlaceablePosition(m.position);
  std::sort(markers.begin(), markers.end(), ByPosition);
  // One pass from the front: a marker too close to the last kept one is dropped, so the first
  // marker always survives.
  size_t kept = 0;
  for (size_t i = 1; i < markers.size(); ++i) {
    if (std::fabs(markers[i].position - markers[kept].position) < kRampSnap) continue;
    if (++kept != i) markers[kept] = markers[i];
  }
  if (!markers.empty()) markers.resize(kept + 1);
}

void GradientRamp::OrderMarkers() {
  for (RampMarker& m : markers) m.position = PlaceablePosition(m.position);
  std::stable_sort(markers.begin(), markers.end(), ByPosition);
}

void GradientRamp::SetGlyphColors(const AColor& active, const AColor& reactive) {
  for (RampMarker& m : markers) {
    m.activeGlyphColor = active;
    m.reactiveGlyphColor = reactive;
  }
}
