#pragma once
#include <vector>

#include "acolor.h"
#include "gradient_ramp.h"

// A ramp made ready for shading samples. Without maps, the colour arriving at a segment from
// its left is the same for every sample, yet Evaluate finds it anew each time, a level of
// recursion per segment to its left; this keeps it, and what the segment's blend makes of it,
// per segment. Answers are Evaluate's to the bit. A ramp with a marker map in use is not
// prepared: its colours change from sample to sample.
//
// Prepared while no sample is shaded (the map's Update); read only afterwards, by any number
// of render threads at once, without allocating.
class PreparedRamp {
 public:
  // Takes the ramp as it is now; Ready says whether it could.
  void Prepare(const GradientRamp& ramp);
  bool Ready() const { return ready; }
  // After an edit of the ramp: not Ready until prepared again.
  void Forget() { ready = false; }
  // GradientRamp::Evaluate at t of the ramp last prepared. Only when Ready. The ends inline:
  // most samples land there (beyond Distance of every edge, or on one).
  AColor Evaluate(float t) const {
    // Over takes everything from 1 on as 1, and everything below the snap (NaN too) as 0.
    if (t >= 1.0f) return atOne;
    if (!(t >= kRampSnap)) return atZero;
    return Between(t);
  }

 private:
  // The segment ending at marker i: its ends' curve modes, the blend's constant terms.
  struct Segment {
    int inMode = 0;      // of the right-hand marker
    int outMode = 0;     // of the left-hand marker
    bool linear = true;  // both modes linear: the weight without the modes' switches
    float k = 1.0f;      // the right-hand marker's transparency factor
    AColor c0, cN, x1, x3;
  };
  // Evaluate strictly between the ends.
  AColor Between(float t) const;
  // The colour at t within segment i, past its ends' snaps: Over's blend.
  AColor Blend(size_t i, float t) const;
  // Evaluate over the first count markers.
  AColor Over(int count, float t) const;
  // Over past its clamps: t already within [kRampSnap, 1] or 0.
  AColor Walk(int count, float t) const;

  bool ready = false;
  // The answers at either end, found once (black without markers).
  AColor atZero, atOne;
  std::vector<float> positions;
  std::vector<AColor> colors;
  std::vector<Segment> segments;  // index i: the segment ending at marker i; 0 unused
};
