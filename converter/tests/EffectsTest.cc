#include "converter/Effects.h"

#include <cmath>
#include <map>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::converter {
namespace {

struct Step {
  int32_t sample;
  int32_t level;
  friend bool operator==(const Step&, const Step&) = default;
};

// Records the steps of slot 0; Kept() gives what the events keep: the first per sample.
class Recorder : public DmxEventWriter {
 public:
  Recorder() { Slot(1, 1); }
  void AddDMXEvent(int32_t, int32_t sample, int32_t level) override {
    written.push_back({sample, level});
  }
  std::vector<Step> Kept() const {
    std::map<int32_t, int32_t> first;
    for (const Step& s : written) first.try_emplace(s.sample, s.level);
    std::vector<Step> kept;
    for (auto [sample, level] : first) kept.push_back({sample, level});
    return kept;
  }
  std::vector<Step> written;
};

// The fade as a loop over every candidate, to hold the faster search against.
std::vector<Step> FadeByEveryCandidate(int32_t s0, int32_t s1, int32_t a, int32_t b,
                                       double spacing) {
  std::vector<Step> steps;
  const int64_t n = std::abs(int64_t{b} - a), d = b > a ? 1 : -1;
  int64_t last = -1000000;
  for (int64_t i = 0; i <= n; ++i) {
    const auto t = static_cast<int64_t>(std::nearbyint(s0 + double(s1 - s0) / (n + 1) * i));
    if (static_cast<double>(t - last) > spacing || i == n) {
      steps.push_back({static_cast<int32_t>(t), static_cast<int32_t>(a + i * d)});
      last = t;
    }
  }
  return steps;
}

TEST(RndTest, ClassicGeneratorFromItsUsualStart) {
  Rnd rnd;
  EXPECT_NEAR(rnd.Next(), 0.7055475, 1e-7);
  EXPECT_NEAR(rnd.Next(), 0.5334240, 1e-7);
  EXPECT_NEAR(rnd.Next(), 0.5795186, 1e-7);
  Rnd other(1);
  EXPECT_NE(other.Next(), Rnd().Next());
}

TEST(EffectsTest, ColourPartsBecomeLevels) {
  struct Case {
    int32_t colour;
    ColourLevels levels;
  } cases[] = {
      {0x000000, {240, 240, 240}}, {0xFFFFFF, {1, 1, 1}},       {0x0000FF, {1, 240, 240}},
      {0x008000, {240, 120, 240}}, {0x800000, {240, 240, 120}},
  };
  for (const Case& c : cases) {
    const ColourLevels got = ColourToIntensities(c.colour);
    EXPECT_EQ(got.red, c.levels.red) << c.colour;
    EXPECT_EQ(got.green, c.levels.green) << c.colour;
    EXPECT_EQ(got.blue, c.levels.blue) << c.colour;
  }
}

TEST(EffectsTest, FadeIsAThinnedStaircaseEndingAtTheEndLevel) {
  Options options;
  Rnd rnd;
  {
    // 240 -> 1 over one second: every tenth level, then level 1 at s0 + 87 832.
    Recorder r;
    Effects(options, rnd, r).ConvertFade(0, {1000, 1000 + 88200, 0}, 240, 1);
    ASSERT_EQ(r.written.size(), 25u);
    for (int32_t k = 0; k < 24; ++k) EXPECT_EQ(r.written[k].level, 240 - 10 * k);
    EXPECT_EQ(r.written[1], (Step{1000 + 3675, 230}));
    EXPECT_EQ(r.written.back(), (Step{1000 + 87832, 1}));
  }
  {
    Recorder r;  // equal levels: one step
    Effects(options, rnd, r).ConvertFade(0, {500, 90000, 0}, 77, 77);
    EXPECT_EQ(r.Kept(), (std::vector<Step>{{500, 77}}));
  }
  {
    Recorder r;  // no span: the first step only
    Effects(options, rnd, r).ConvertFade(0, {500, 500, 0}, 1, 240);
    EXPECT_EQ(r.Kept(), (std::vector<Step>{{500, 1}}));
  }
}

TEST(EffectsTest, FadeSearchGivesWhatTryingEveryCandidateGives) {
  std::mt19937 random(12);
  auto pick = [&](int32_t lo, int32_t hi) {
    return std::uniform_int_distribution<int32_t>(lo, hi)(random);
  };
  Rnd rnd;
  for (int round = 0; round < 3000; ++round) {
    Options options;
    options.ramp_spacing = 88200.0 / pick(1, round % 3 == 0 ? 100000 : 200);
    const int32_t s0 = pick(-2000000, 3000000);
    const int32_t s1 = s0 + pick(0, round % 5 == 0 ? 200 : 500000);
    const int32_t a = pick(-300, 600), b = pick(-300, 600);
    if (a == b) continue;
    Recorder r;
    Effects(options, rnd, r).ConvertFade(0, {s0, s1, 0}, a, b);
    ASSERT_EQ(r.written, FadeByEveryCandidate(s0, s1, a, b, options.ramp_spacing))
        << s0 << " " << s1 << " " << a << " " << b << " " << options.ramp_spacing;
  }
}

TEST(EffectsTest, TwinkleStepsOnThePeriodWithTheDensity) {
  const int32_t T = Options().twinkle_period;
  struct Case {
    double probability;
    int32_t setting0;
    int32_t first_level;  // -1: any
    double on_low, on_high;
  } cases[] = {
      {1.0, 0, 0, 1.0, 1.0},     // always on; the first step is 0
      {0.5, 0, -1, 0.45, 0.55},  // on and off alike
      {0.0, 0, 90, 0.0, 0.0},    // never on
      {1.0, 1, 0, 1.0, 1.0},     // on, at random levels
  };
  for (const Case& c : cases) {
    Options options;
    options.twinkle_probability = c.probability;
    Rnd rnd;
    Recorder r;
    const int32_t s0 = 10, s1 = 10 + 4000 * T;
    Effects(options, rnd, r).ConvertTwinkle(0, {s0, s1, c.setting0}, 90, 90);
    ASSERT_EQ(r.written.size(), 4001u);
    if (c.first_level >= 0) {
      EXPECT_EQ(r.written[0].level, c.first_level);
    }
    int32_t on = 0;
    for (size_t i = 1; i < r.written.size(); ++i) {
      EXPECT_EQ(r.written[i].sample, static_cast<int32_t>(i) * T);
      const int32_t level = r.written[i].level;
      if (level == kDark) continue;
      ++on;
      if (c.setting0 & 1) {
        EXPECT_TRUE(level >= 1 && level < 150) << level;
      } else {
        EXPECT_EQ(level, 90);
      }
    }
    EXPECT_GE(on / 4000.0, c.on_low);
    EXPECT_LE(on / 4000.0, c.on_high);
  }
}

TEST(EffectsTest, ShimmerPulsesOnThePeriodAndFallsToHalf) {
  Options options;
  const int32_t R = options.shimmer_period, D = options.shimmer_on_time;
  Rnd rnd;
  {
    // Ends before the next multiple of R: the first step only.
    Recorder r;
    Effects(options, rnd, r).ConvertShimmer(0, {R + 5, 2 * R, 0}, 100, 100);
    EXPECT_EQ(r.Kept(), (std::vector<Step>{{R + 5, 100}}));
  }
  {
    // Two periods from 0, fading 200 -> 100: pulses at R and 2R (the last pulse's fall
    // would lie beyond the end).
    Recorder r;
    Effects(options, rnd, r).ConvertShimmer(0, {0, 2 * R + 10, 0}, 200, 100);
    const int32_t at_r = static_cast<int32_t>(std::nearbyint(200 - 100.0 * R / (2 * R + 10)));
    const int32_t at_2r = static_cast<int32_t>(std::nearbyint(200 - 100.0 * 2 * R / (2 * R + 10)));
    EXPECT_EQ(r.Kept(),
              (std::vector<Step>{{0, 200}, {R, at_r}, {R + D, HalfLevel(at_r)}, {2 * R, at_2r}}));
  }
  EXPECT_EQ(HalfLevel(100), 170);
  EXPECT_EQ(HalfLevel(1), 121);
  EXPECT_EQ(HalfLevel(240), 240);
}

}  // namespace
}  // namespace quarnel::converter
