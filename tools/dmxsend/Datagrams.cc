#include "tools/dmxsend/Datagrams.h"

#include <algorithm>
#include <charconv>

namespace quarnel::dmxsend {

std::vector<uint8_t> FrameDatagram(const Levels& levels) {
  std::vector<uint8_t> d(dmx::kFrameDatagramSize, 0);
  std::copy(levels.begin(), levels.end(), d.begin() + 1);
  return d;
}

std::vector<uint8_t> TestDatagram(int32_t channel) {
  const auto v = static_cast<uint32_t>(channel);
  return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
          static_cast<uint8_t>(v >> 24)};
}

std::vector<uint8_t> ShutdownDatagram() {
  return std::vector<uint8_t>(dmx::kShutdownDatagramSize, 0);
}

namespace {

// A whole decimal number from min to max, nothing else.
bool Number(std::string_view text, int min, int max, int& value) {
  if (text.empty() || text.size() > 6) return false;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end && value >= min && value <= max;
}

}  // namespace

bool ApplyLevel(std::string_view setting, Levels& levels, std::string& error) {
  const size_t eq = setting.find('=');
  if (eq == std::string_view::npos) {
    error =
        "\"" + std::string(setting) + "\" is not CHANNEL=LEVEL (for example 1=255 or 10-20=128)";
    return false;
  }
  const std::string_view channels = setting.substr(0, eq);
  int level = 0;
  if (!Number(setting.substr(eq + 1), 0, 255, level)) {
    error = "\"" + std::string(setting) + "\": the level must be a whole number from 0 to 255";
    return false;
  }
  int first = 1, last = 512;
  if (channels != "all") {
    const size_t dash = channels.find('-');
    const bool ok = dash == std::string_view::npos
                        ? Number(channels, 1, 512, first) && ((last = first), true)
                        : Number(channels.substr(0, dash), 1, 512, first) &&
                              Number(channels.substr(dash + 1), 1, 512, last) && first <= last;
    if (!ok) {
      error = "\"" + std::string(setting) +
              "\": channels are 1 to 512, a range is FIRST-LAST, or write all";
      return false;
    }
  }
  std::fill(levels.begin() + (first - 1), levels.begin() + last, static_cast<uint8_t>(level));
  return true;
}

}  // namespace quarnel::dmxsend
