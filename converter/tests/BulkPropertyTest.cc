// Collecting the steps and merging them in bulk saves, byte for byte, the file that one
// Events.Add per step gives, on random shows and random options.
#include "converter/tests/RecastFixture.h"

#include <random>

#include <gtest/gtest.h>

namespace quarnel::converter::testing {
namespace {

TEST_F(RecastTest, BulkMergeSavesWhatOneAddAtATimeSaves) {
  std::mt19937 random(2024);
  auto pick = [&](int32_t lo, int32_t hi) {
    return std::uniform_int_distribution<int32_t>(lo, hi)(random);
  };
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    const Show show = RandomShow(seed, pick(4, 16), pick(0, 4), pick(20, 200), pick(1000, 60000));
    Options options;
    options.ramp_spacing = 88200.0 / pick(1, 300);
    options.twinkle_probability = pick(0, 4) / 4.0;
    options.twinkle_period = pick(300, 6000);
    options.shimmer_period = pick(300, 6000);
    // On-times as long as the period or longer make pulses land on each other.
    options.shimmer_on_time = pick(1, 2) == 1 ? options.shimmer_period : pick(1, 9000);

    rnd_ = Rnd(seed);
    const Outcome bulk = Convert(show, options, true);
    const std::string bulk_bytes = Bytes(bulk.result.new_name);
    rnd_ = Rnd(seed);
    const Outcome direct = Convert(show, options, false);
    EXPECT_GT(bulk.events.size(), 0u) << seed;
    EXPECT_EQ(bulk.events, direct.events) << seed;
    EXPECT_TRUE(bulk_bytes == Bytes(direct.result.new_name)) << seed;
  }
}

}  // namespace
}  // namespace quarnel::converter::testing
