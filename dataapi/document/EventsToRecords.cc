// The events as backup rows, one 40-byte record each.
#include "dataapi/RampCalc.h"
#include "dataapi/collections/EventRow.h"
#include "dataapi/document/SaveSteps.h"

namespace quarnel::dataapi {

std::vector<CompiledRecord> EventsToRecords(const Events& events) {
  const int32_t last = events.GetBounds();
  std::vector<CompiledRecord> records;
  records.reserve(static_cast<size_t>(last + 1));
  for (int32_t i = 0; i <= last; ++i) {
    const EventRecord e = event_row::Read(events.Table().RowPointer(i));
    CompiledRecord r;
    r.network = e.network;
    r.device = e.device;
    r.channel_mask = e.channel;
    r.sample_number = e.sample_number;
    r.command = e.command;
    r.start_intensity = e.start_intensity;
    r.end_intensity = e.end_intensity;
    if (e.command == 34) {
      const RampIntervals ramp = CalcRampIntervals(events.EventLength(i));
      r.short_interval = ramp.first;
      r.long_interval = ramp.second;
    }
    r.setting0 = e.settings[0];
    records.push_back(r);
  }
  return records;
}

}  // namespace quarnel::dataapi
