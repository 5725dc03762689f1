#include "converter/Effects.h"

#include <cmath>
#include <limits>

namespace quarnel::converter {

namespace {

// A computed level as a 32-bit value; only absurd source levels ever reach the limits.
int32_t ToLevel(double level) {
  constexpr double kLow = std::numeric_limits<int32_t>::min();
  constexpr double kHigh = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(level < kLow ? kLow : level > kHigh ? kHigh : level);
}

// Rounding to the nearest whole number, halves to even (the default rounding mode).
double Round(double x) { return std::nearbyint(x); }

// floor(x / period) * period, for any sign of x.
int64_t MultipleAtOrBelow(int64_t x, int64_t period) {
  int64_t q = x / period;
  if (x % period != 0 && x < 0) --q;
  return q * period;
}

// The first multiple of the period not below x.
int64_t MultipleAtOrAbove(int64_t x, int64_t period) {
  const int64_t m = MultipleAtOrBelow(x, period);
  return m == x ? m : m + period;
}

}  // namespace

ColourLevels ColourToIntensities(int32_t colour) {
  const auto c = static_cast<uint32_t>(colour);
  auto level = [](uint32_t component) {
    return static_cast<int32_t>(Round(240.0 - component / 255.0 * 239.0));
  };
  return {level(c & 255), level((c >> 8) & 255), level((c >> 16) & 255)};
}

int32_t HalfLevel(int32_t level) {
  return ToLevel(static_cast<double>(kDark - (int64_t{kDark} - level) / 2));
}

int32_t Effects::LevelAt(const EffectSpan& span, int32_t a, int32_t b, int64_t m) {
  const double change = static_cast<double>((int64_t{b} - a) * (m - span.s0));
  return ToLevel(Round(a + change / (int64_t{span.s1} - span.s0)));
}

int32_t Effects::RandomizeLevel(int32_t level, int32_t setting0) {
  if ((setting0 & 1) == 0) return level;
  const int32_t random = ToLevel(std::floor(rnd_.Next() * (kDark - static_cast<double>(level))));
  return random == 0 ? 1 : random;
}

bool Effects::TwinkleOn() {
  const double r = rnd_.Next();
  // Density 0 is never on.
  const double p = options_.twinkle_probability;
  return p > 0 && std::floor(r * (1 / p)) == 0;
}

void Effects::ConvertFade(int32_t slot, const EffectSpan& span, int32_t a, int32_t b) {
  if (a == b) {
    Steady(slot, span.s0, a);
    return;
  }
  // Candidates i = 0..n at t(i) = round(s0 + L / (n + 1) * i); a candidate is written when
  // it lies more than the ramp spacing after the last written one, and the last always.
  // t(i) never decreases, so the next written candidate is found by halving instead of
  // trying each: the cost follows the steps written, not the size of the level change.
  const int64_t n = b > a ? int64_t{b} - a : int64_t{a} - b;
  const int64_t d = b > a ? 1 : -1;
  const double per_candidate = static_cast<double>(int64_t{span.s1} - span.s0) / (n + 1);
  auto t = [&](int64_t i) {
    return static_cast<int64_t>(Round(span.s0 + per_candidate * static_cast<double>(i)));
  };
  const double spacing = options_.ramp_spacing;
  int64_t last = -1000000;
  for (int64_t i = 0;;) {
    int64_t lo = i, hi = n;
    while (lo < hi) {
      const int64_t mid = lo + (hi - lo) / 2;
      if (static_cast<double>(t(mid) - last) > spacing) {
        hi = mid;
      } else {
        lo = mid + 1;
      }
    }
    last = t(lo);
    writer_.AddDMXEvent(slot, static_cast<int32_t>(last), static_cast<int32_t>(a + lo * d));
    if (lo == n) break;
    i = lo + 1;
  }
}

void Effects::ConvertTwinkle(int32_t slot, const EffectSpan& span, int32_t a, int32_t b) {
  // The first step: level a when the draw says "off", else 0.
  const double r = rnd_.Next();
  const double p = options_.twinkle_probability;
  const bool first_off = p == 0 || std::floor(r * (1 / p)) > 0;
  writer_.AddDMXEvent(slot, span.s0, first_off ? a : 0);

  const int64_t period = options_.twinkle_period;
  for (int64_t m = MultipleAtOrBelow(span.s0, period) + period; m <= int64_t{span.s1} - 1;
       m += period) {
    int32_t level = kDark;
    if (TwinkleOn()) {
      level = RandomizeLevel(a != b ? LevelAt(span, a, b, m) : a, span.setting0);
    }
    writer_.AddDMXEvent(slot, static_cast<int32_t>(m), level);
  }
}

void Effects::ConvertShimmer(int32_t slot, const EffectSpan& span, int32_t a, int32_t b) {
  const int64_t period = options_.shimmer_period;
  const int64_t on_time = options_.shimmer_on_time;
  const int64_t m = MultipleAtOrAbove(span.s0, period);
  const int64_t t = MultipleAtOrAbove(int64_t{span.s0} - 1, period) + on_time;
  writer_.AddDMXEvent(slot, span.s0, m == span.s0 || t > span.s0 ? a : HalfLevel(a));

  for (int64_t pulse = MultipleAtOrBelow(span.s0, period) + period; pulse <= int64_t{span.s1} - 1;
       pulse += period) {
    const int32_t level = RandomizeLevel(a == b ? a : LevelAt(span, a, b, pulse), span.setting0);
    writer_.AddDMXEvent(slot, static_cast<int32_t>(pulse), level);
    if (pulse + on_time < span.s1) {
      writer_.AddDMXEvent(slot, static_cast<int32_t>(pulse + on_time), HalfLevel(level));
    }
  }
}

}  // namespace quarnel::converter
