#include "converter/Options.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace quarnel::converter {

const char kOptionsNote[] =
    "Note: It is recommended that shimmer/twinkle/ramp rates be set in multiples of 26 "
    "milliseconds to prevent event aliasing.";

namespace {

// A finite decimal number, spaces around it allowed; nothing else.
std::optional<double> Number(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  auto [end, ec] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() ||
      !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::string NotANumber(const char* option, std::string_view text) {
  return std::string(option) + ": \"" + std::string(text) + "\" is not a number.";
}

// Int(ms / 1000 * 88 200), refused below one sample or beyond the 32-bit sample range.
std::variant<int32_t, std::string> Period(const char* option, std::string_view text) {
  const std::optional<double> ms = Number(text);
  if (!ms) return NotANumber(option, text);
  const double samples = std::floor(*ms / 1000 * kSamplesPerSecond);
  if (samples < 1) {
    return std::string(option) + ": " + std::string(text) +
           " ms is less than one sample (1/88 200 s); give a time of at least 0.0114 ms.";
  }
  if (samples > std::numeric_limits<int32_t>::max()) {
    return std::string(option) + ": " + std::string(text) + " ms is longer than any sequence.";
  }
  return static_cast<int32_t>(samples);
}

}  // namespace

std::variant<Options, std::string> ParseOptions(const OptionTexts& texts) {
  Options options;

  const std::optional<double> ramp = Number(texts.ramp_resolution);
  if (!ramp) return NotANumber("--ramp-resolution", texts.ramp_resolution);
  if (std::floor(*ramp) < 1) {
    return "--ramp-resolution: " + texts.ramp_resolution +
           " ms has no whole milliseconds; give 1 ms or more.";
  }
  options.ramp_spacing = kSamplesPerSecond / std::floor(*ramp);

  const std::optional<double> density = Number(texts.twinkle_density);
  if (!density) return NotANumber("--twinkle-density", texts.twinkle_density);
  if (*density < 0 || *density > 100) {
    return "--twinkle-density: " + texts.twinkle_density + " % is not from 0 to 100.";
  }
  options.twinkle_probability = *density / 100;

  struct {
    const char* option;
    const std::string& text;
    int32_t& value;
  } periods[] = {
      {"--twinkle-rate", texts.twinkle_rate, options.twinkle_period},
      {"--shimmer-duration", texts.shimmer_duration, options.shimmer_on_time},
      {"--shimmer-rate", texts.shimmer_rate, options.shimmer_period},
  };
  for (auto& p : periods) {
    auto period = Period(p.option, p.text);
    if (auto* message = std::get_if<std::string>(&period)) return *message;
    p.value = std::get<int32_t>(period);
  }
  return options;
}

}  // namespace quarnel::converter
