#include "dataapi/compile/RefreshPoints.h"

#include "dataapi/collections/EventRow.h"

#include <algorithm>
#include <cmath>

namespace quarnel::dataapi::compile {

std::vector<EventRecord> RefreshPoints(const Events& events, const Channels& channels,
                                       int32_t length, ProgressTracker& progress) {
  std::vector<EventRecord> points;
  int32_t ch = 1;
  // Positions are counted in 64 bits so that a show ending near the last sample ends the
  // walk instead of overflowing.
  for (int64_t pos = kFirstRefreshPoint; pos <= length; pos += kRefreshStep) {
    const int32_t at = static_cast<int32_t>(pos);
    const int32_t network = channels.Network(ch);
    const int32_t device = channels.Device(ch);
    const int32_t channel = channels.Channel(ch);
    const int32_t left = events.FindLeft(network, device, channel, at);
    if (left >= 0 && events.SampleNumber(left) < pos - kDarkBefore) {
      const int32_t right = events.FindRight(network, device, channel, at);
      if (right >= 0 && events.SampleNumber(right) > pos + kDarkAfter) {
        const EventRecord l = events.Record(left);
        EventRecord point;
        point.network = network;
        point.device = device;
        point.channel = channel;
        point.sample_number = at;
        if ((l.command == 33 || l.command == -33) && l.start_intensity == 240) {
          point.command = -33;
          point.start_intensity = l.start_intensity;
          point.end_intensity = l.end_intensity;
          if (event_row::KeysFit(network, device, channel, at)) points.push_back(point);
        } else if (l.command == 38 && l.start_intensity == 0 && l.end_intensity == 0 &&
                   l.settings[0] == 0) {
          point.command = -40;
          if (event_row::KeysFit(network, device, channel, at)) points.push_back(point);
        }
      }
    }
    if (++ch > channels.GetBounds()) ch = 1;
    progress.AdvanceByTens(
        static_cast<int32_t>(std::floor(static_cast<double>(pos) / length * 50)));
  }
  // Each position is visited once, so every point has a key of its own.
  std::sort(points.begin(), points.end(), [](const EventRecord& a, const EventRecord& b) {
    return event_row::KeyOf(a) < event_row::KeyOf(b);
  });
  return points;
}

}  // namespace quarnel::dataapi::compile
