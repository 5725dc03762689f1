// Rnd: the converter's random numbers, one generator per program run.
//
// The classic BASIC linear congruential generator: x <- (x * 1140671485 + 12820163) mod 2^24,
// starting from x = 327680, and each number is x / 2^24, uniform in [0, 1). It is never
// reseeded while the program runs, so the same source and options give the same sequence
// file on every run; a seed starts it elsewhere.
#pragma once

#include <cstdint>

namespace quarnel::converter {

class Rnd {
 public:
  static constexpr uint32_t kDefaultSeed = 327680;
  static constexpr uint32_t kModulus = 1u << 24;

  // REQUIRES: seed < 2^24.
  explicit Rnd(uint32_t seed = kDefaultSeed) : x_(seed % kModulus) {}

  // The next number, in [0, 1).
  double Next() {
    x_ = static_cast<uint32_t>((uint64_t{x_} * 1140671485u + 12820163u) % kModulus);
    return static_cast<double>(x_) / kModulus;
  }

 private:
  uint32_t x_;
};

}  // namespace quarnel::converter
