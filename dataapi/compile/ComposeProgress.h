// The progress that compiling reports while it walks its loops.
//
// Each loop of the compiler reports a whole-number percentage computed from its position
// (a ratio of index to last index, scaled and shifted) and raises it only when it has
// moved on far enough from the last value raised. The tracker holds that last value and
// the sink the values go to; the phases share one tracker so that "last" carries over
// where it should.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>

namespace quarnel::dataapi::compile {

// round(index / last_index x scale + offset), ties to even. A loop over a single entry
// (last_index 0) counts as ratio 0 rather than dividing by zero.
inline int32_t ProgressPercent(int64_t index, int64_t last_index, double scale, double offset = 0) {
  double ratio = last_index == 0 ? 0.0 : static_cast<double>(index) / last_index;
  return static_cast<int32_t>(std::nearbyint(ratio * scale + offset));
}

class ProgressTracker {
 public:
  explicit ProgressTracker(std::function<void(double)> raise) : raise_(std::move(raise)) {}

  // Raises percent unconditionally; it becomes the last value.
  void Raise(int32_t percent) {
    last_ = percent;
    if (raise_) raise_(percent);
  }
  // Raises percent when it is more than 10 points past the last value.
  void Advance(int32_t percent) {
    if (percent > last_ + 10) Raise(percent);
  }
  // Raises percent when it is a multiple of 10 other than the last value.
  void AdvanceByTens(int32_t percent) {
    if (percent % 10 == 0 && percent != last_) Raise(percent);
  }
  // Sets the last value without raising anything.
  void SetLast(int32_t percent) { last_ = percent; }
  int32_t Last() const { return last_; }

 private:
  std::function<void(double)> raise_;
  int32_t last_ = 0;
};

// The progress of a loop that adds the `count` events of a scratch collection to the
// document: every 500th as round(j / last index x 50 + 49), raised when it advanced by
// more than 10.
inline void ReportScratchProgress(size_t count, ProgressTracker& progress) {
  const int64_t last = static_cast<int64_t>(count) - 1;
  for (int64_t j = 0; j <= last; j += 500) progress.Advance(ProgressPercent(j, last, 50, 49));
}

}  // namespace quarnel::dataapi::compile
