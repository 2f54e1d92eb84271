#pragma once
#include "WindowsDefines.h"
#include "acolor.h"

class Texmap;

// Bits of RampMarker::flags. Nothing else is stored in flags.
inline constexpr DWORD MarkerActive = 2;    // the marker the rollout edits
inline constexpr DWORD MarkerDragging = 4;  // the marker a drag in the ramp control moves

// One marker of a gradient ramp, held by value in the ramp's sequence.
struct RampMarker {
  DWORD flags = 0;
  float position = 0.0f;  // 0..1 along the ramp
  // The glyph colours are a ramp-wide setting that every marker carries.
  AColor activeGlyphColor = AColor(1.0f, 0.0f, 0.0f, 0.0f);
  AColor reactiveGlyphColor = AColor(0.0f, 1.0f, 1.0f, 0.0f);
  AColor color = AColor(0.0f, 0.0f, 0.0f, 0.0f);
  // The mean of r, g and b is the marker's transparency; black is opaque.
  AColor transparentColor = AColor(0.0f, 0.0f, 0.0f, 0.0f);
  // Not owned: these are references of the map that owns the ramp.
  Texmap* colorMap = nullptr;
  Texmap* transparentMap = nullptr;
  bool colorMapOn = true;
  bool transparentMapOn = true;
  int inMode = 0;   // curve of the segment that ends here
  int outMode = 0;  // curve of the segment that starts here
};
