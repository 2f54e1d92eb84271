#pragma once
#include <vector>

#include "WindowsDefines.h"
#include "acolor.h"
#include "point3.h"
#include "ramp_marker.h"

class ShadeContext;

// Positions closer than this are one position: the snap of t to 0 and the merge distance of
// SortMarkers.
inline constexpr float kRampSnap = 0.0001f;

// The gradient of markers that turns a position t in 0..1 into a colour. Editing runs on the
// user-interface thread; Evaluate and EvaluatePerturb only read and may run on many render
// threads at once.
class GradientRamp {
 public:
  int markerSize = 8;  // glyph size in the ramp control, in pixels; not saved
  // Sorted by SortMarkers. A record's address is valid only until the sequence next changes.
  std::vector<RampMarker> markers;

  // Three markers, black at 0, mid grey at 0.5, white at 1, the first one active.
  void InitDefault();

  // Makes the marker at index the only active one; a negative index means 0, an index past
  // the end leaves none active.
  void SetActiveMarker(int index);
  void ClearMarkerFlags();
  // Index of the first marker with a flag of flagMask. With none, marker 0 becomes the active
  // one and 0 is returned.
  int ActiveMarkerIndex(DWORD flagMask);
  RampMarker* FindMarkerByFlag(DWORD flagMask);
  const RampMarker* FindMarkerByFlag(DWORD flagMask) const;
  // The last marker within tolerance of t, or at once the one being dragged; null if neither.
  RampMarker* HitTestMarker(float t, float tolerance);

  // Adds a marker of the given colour at t and returns the marker then found at t.
  RampMarker* AddMarker(float t, const AColor& color);
  // The marker AddMarker adds: flags 0, the first marker's glyph colours, every other field at
  // its default.
  RampMarker NewMarker(float t, const AColor& color) const;
  // Adds a copy of the active marker at t, or with none active of the marker shown at t, and
  // returns the marker then found at t. An empty ramp has nothing to copy: null.
  RampMarker* DuplicateActiveMarker(float t);
  // The marker DuplicateActiveMarker copies for t: the active one, or with none active the one
  // the ramp shows at t. Null on an empty ramp.
  const RampMarker* DuplicationSource(float t) const;
  // Removes the first marker within tolerance of t, unless only two are left, and activates
  // the one before it.
  void DeleteMarkerAt(float t, float tolerance);
  // Ascending positions, then near-duplicates merged into the first of them.
  void SortMarkers();
  // Ascending positions and nothing merged; markers of equal position keep their order. What a
  // drag does while the button is down, so the markers it passes stay.
  void OrderMarkers();
  void SetGlyphColors(const AColor& active, const AColor& reactive);

  // The ramp's colour at t from marker colours alone, for drawing the ramp.
  AColor ColorAt(float t) const;
  // The ramp's colour at t for a shading sample, with the markers' maps.
  AColor Evaluate(ShadeContext& sc, float t) const;
  // The ramp's normal perturbation at t; direction is the unit vector from the nearest edge
  // point to the shaded point.
  Point3 EvaluatePerturb(ShadeContext& sc, float t, const Point3& direction) const;
};
