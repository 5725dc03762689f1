#include "dataapi/compile/ColourParts.h"

#include "dataapi/collections/EventRow.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace quarnel::dataapi::compile {
namespace {

// 239 / 255 to fifteen digits: the level step of one colour unit.
constexpr double kLevelsPerColourUnit = 0.937254901960784;
constexpr int32_t kDark = 240;

int32_t ComponentLevel(int32_t component) {
  return static_cast<int32_t>(std::nearbyint(kDark - component * kLevelsPerColourUnit));
}

// What the channel at one address is to the splitter.
struct RgbChannel {
  bool rgb = false;
  int32_t green_device = 0, blue_device = 0, green_channel = 0, blue_channel = 0;
};

RgbChannel LookUp(const Channels& channels, int32_t network, int32_t device, int32_t channel) {
  RgbChannel c;
  int32_t ch = channels.Find(network, device, channel);
  if (ch < 0 || channels.DeviceType(ch) != kRgbDeviceType) return c;
  c.rgb = true;
  c.green_device = channels.Setting(ch, kGreenDeviceSetting);
  c.blue_device = channels.Setting(ch, kBlueDeviceSetting);
  c.green_channel = channels.Setting(ch, kGreenChannelSetting);
  c.blue_channel = channels.Setting(ch, kBlueChannelSetting);
  return c;
}

}  // namespace

std::array<int32_t, 3> ColourToIntensities(int32_t colour) {
  return {ComponentLevel(colour & 255), ComponentLevel((colour >> 8) & 255),
          ComponentLevel((colour >> 16) & 255)};
}

PartCommand PartCommandFor(int32_t source_setting0, int32_t start_level, int32_t end_level) {
  switch (source_setting0 & 6) {
    case 2:
      return {-37, source_setting0 & 1};
    case 4:
      return {-36, source_setting0 & 1};
    default:
      return {start_level != end_level ? -34 : -33, 0};
  }
}

std::vector<EventRecord> ColourParts(const Events& events, const Channels& channels,
                                     ProgressTracker& progress) {
  const int32_t last = events.GetBounds();
  const DataTable& table = events.Table();
  std::vector<EventRecord> parts;

  // Events come in address order, so each address is looked up once.
  bool known = false;
  int32_t network = 0, device = 0, number = 0;
  RgbChannel channel;
  for (int32_t i = 0; i <= last; ++i) {
    const EventRecord e = event_row::Read(table.RowPointer(i));
    if (!known || network != e.network || device != e.device || number != e.channel) {
      network = e.network;
      device = e.device;
      number = e.channel;
      channel = LookUp(channels, e.network, e.device, e.channel);
      known = true;
    }
    if (channel.rgb) {
      std::array<int32_t, 3> start{kDark, kDark, kDark}, end{kDark, kDark, kDark};
      if (e.command == 38) {
        start = ColourToIntensities(e.start_intensity);
        end = ColourToIntensities(e.end_intensity);
      }
      const int32_t devices[3] = {e.device, channel.green_device, channel.blue_device};
      const int32_t numbers[3] = {e.channel, channel.green_channel, channel.blue_channel};
      for (int k = 0; k < 3; ++k) {
        if (!event_row::KeysFit(e.network, devices[k], numbers[k], e.sample_number)) continue;
        PartCommand command = PartCommandFor(e.settings[0], start[k], end[k]);
        EventRecord part;
        part.network = e.network;
        part.device = devices[k];
        part.channel = numbers[k];
        part.sample_number = e.sample_number;
        part.command = command.command;
        part.start_intensity = start[k];
        part.end_intensity = end[k];
        part.settings[0] = command.flag;
        parts.push_back(part);
      }
    }
    if (i % 500 == 0) progress.Advance(ProgressPercent(i, last, 50));
  }

  // Key order; of parts that meet at one key the one made first stays.
  std::stable_sort(parts.begin(), parts.end(), [](const EventRecord& a, const EventRecord& b) {
    return event_row::KeyOf(a) < event_row::KeyOf(b);
  });
  parts.erase(std::unique(parts.begin(), parts.end(),
                          [](const EventRecord& a, const EventRecord& b) {
                            return event_row::KeyOf(a) == event_row::KeyOf(b);
                          }),
              parts.end());
  return parts;
}

std::vector<EventRecord> ShiftedParts(const std::vector<EventRecord>& parts) {
  std::vector<EventRecord> shifted;
  shifted.reserve(parts.size());
  for (EventRecord part : parts) {
    if (part.sample_number == INT32_MAX) continue;
    ++part.sample_number;
    shifted.push_back(part);
  }
  return shifted;
}

}  // namespace quarnel::dataapi::compile
