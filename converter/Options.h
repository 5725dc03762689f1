// The five options of a conversion, as the user types them and as the conversion uses them.
//
// Each option is text in milliseconds or per cent, turned into sample counts (88 200 per
// second) before anything is loaded. Options that cannot work are refused with a message
// that names the option: text that is not a number, a ramp resolution whose whole part
// is below 1, a twinkle density outside 0 to 100, and a twinkle rate, shimmer duration or
// shimmer rate that gives less than one sample (a period of 0 would never end).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace quarnel::converter {

inline constexpr double kSamplesPerSecond = 88200.0;

// The option texts, with the window's default texts.
struct OptionTexts {
  std::string ramp_resolution = "26";   // ms
  std::string twinkle_density = "50";   // %
  std::string twinkle_rate = "26";      // ms
  std::string shimmer_duration = "26";  // ms
  std::string shimmer_rate = "54";      // ms
};

// The options in the units the effects use.
struct Options {
  // Minimum spacing of fade steps: 88 200 / Int(ramp resolution) samples (3 392.3 for 26).
  double ramp_spacing = kSamplesPerSecond / 26;
  // Probability of "on" per twinkle step, 0 to 1.
  double twinkle_probability = 0.5;
  // Twinkle step period T, shimmer on-time D and shimmer period R, in samples.
  int32_t twinkle_period = 2293;
  int32_t shimmer_on_time = 2293;
  int32_t shimmer_period = 4762;
};

// The options from their texts, or the message that refuses one of them.
std::variant<Options, std::string> ParseOptions(const OptionTexts& texts);

// The note shown beside the options.
extern const char kOptionsNote[];

}  // namespace quarnel::converter
