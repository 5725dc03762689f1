// The effects of the product's controllers recast as steady DMX levels.
//
// Each operation expands one source event, from its sample s0 to the end of its effect s1,
// into level steps written through AddDMXEvent: a fade into a staircase, a twinkle into a
// random on/off pattern on the twinkle period, a shimmer into a pulse train on the
// shimmer period. Periods are counted from sample 0 of the sequence. Levels run from 1
// (full) to 240 (dark); random numbers come from the run's one generator, in the order
// the steps are made, so a conversion is repeatable.
#pragma once

#include "converter/DmxEventWriter.h"
#include "converter/Options.h"
#include "converter/Rnd.h"

#include <cstdint>

namespace quarnel::converter {

inline constexpr int32_t kDark = 240;

// Where and how long one source event acts.
struct EffectSpan {
  int32_t s0 = 0;        // the event's sample
  int32_t s1 = 0;        // the end of its effect, s1 >= s0 (equal: no span, first step only)
  int32_t setting0 = 0;  // bit value 1: random levels; for colours 2 shimmer, 4 twinkle
};

// The levels of the red, green and blue parts of a 24-bit colour: component c gives
// round(240 - c / 255 * 239), so 0 is dark (240) and 255 full (1).
struct ColourLevels {
  int32_t red;
  int32_t green;
  int32_t blue;
};
ColourLevels ColourToIntensities(int32_t colour);

// 240 - (240 - level) / 2, halfway towards dark.
int32_t HalfLevel(int32_t level);

class Effects {
 public:
  Effects(const Options& options, Rnd& rnd, DmxEventWriter& writer)
      : options_(options), rnd_(rnd), writer_(writer) {}

  // One step at s0.
  void Steady(int32_t slot, int32_t sample, int32_t level) {
    writer_.AddDMXEvent(slot, sample, level);
  }
  // One step per level from a to b, spread evenly over the span and thinned to the ramp
  // spacing; the final step (level b) is always written.
  void ConvertFade(int32_t slot, const EffectSpan& span, int32_t a, int32_t b);
  // A first step at s0, then on or off at every multiple of the twinkle period inside the
  // span: on with the twinkle density, at the level reached by then from a towards b.
  void ConvertTwinkle(int32_t slot, const EffectSpan& span, int32_t a, int32_t b);
  // A first step at s0, then at every multiple of the shimmer period inside the span a
  // pulse at the level reached by then, falling to half after the on-time.
  void ConvertShimmer(int32_t slot, const EffectSpan& span, int32_t a, int32_t b);
  // With bit value 1 of setting0: a random level Int(Rnd * (240 - level)), 0 made 1.
  int32_t RandomizeLevel(int32_t level, int32_t setting0);

 private:
  // round(a + (b - a) * (m - s0) / L), rounding half to even.
  static int32_t LevelAt(const EffectSpan& span, int32_t a, int32_t b, int64_t m);
  // Whether a twinkle step is "on" (Int(Rnd / density) = 0); draws one number.
  bool TwinkleOn();

  const Options& options_;
  Rnd& rnd_;
  DmxEventWriter& writer_;
};

}  // namespace quarnel::converter
