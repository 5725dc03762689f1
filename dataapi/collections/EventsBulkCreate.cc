// Loading all events at once from a recordset (the event table of a sequence file).
#include "dataapi/Events.h"
#include "platform/recordset/Recordset.h"

#include <array>

namespace quarnel::dataapi {

bool RecordsetHasField(Recordset& rs, std::string_view name) {
  return rs.Fields().Find(name) != nullptr;
}

void Events::BulkCreate(Recordset& rs) {
  static constexpr std::array<const char*, 9> kRequired = {
      "Network",        "Device",       "Channel",       "SampleNumber", "Command",
      "StartIntensity", "EndIntensity", "ShortInterval", "LongInterval"};
  for (const char* name : kRequired) {
    if (!RecordsetHasField(rs, name)) return;
  }
  rs.SetSort("network, device, channel, samplenumber");
  rs.SetFilter("");
  const int32_t count = rs.RecordCount();

  // Each field is looked up once; the rows are then read through the handles.
  Fields& fields = rs.Fields();
  Field& network = fields["Network"];
  Field& device = fields["Device"];
  Field& channel = fields["Channel"];
  Field& sample = fields["SampleNumber"];
  Field& command = fields["Command"];
  Field& start = fields["StartIntensity"];
  Field& end = fields["EndIntensity"];
  Field& short_interval = fields["ShortInterval"];
  Field& long_interval = fields["LongInterval"];
  std::array<Field*, kMaxSetting + 1> settings{};
  for (int32_t s = 0; s <= kMaxSetting; ++s) {
    settings[s] = fields.Find("Setting" + std::to_string(s));
  }

  if (count > 0) rs.MoveFirst();
  FillFromSorted(
      [&](EventRecord& r) {
        if (rs.Eof()) return false;
        r.network = network.Int32();
        r.device = device.Int32();
        r.channel = channel.Int32();
        r.sample_number = sample.Int32();
        r.command = command.Int32();
        r.start_intensity = start.Int32();
        r.end_intensity = end.Int32();
        r.long_interval = long_interval.Int32();
        r.short_interval = short_interval.Int32();
        for (int32_t s = 0; s <= kMaxSetting; ++s) {
          r.settings[s] = settings[s] ? settings[s]->Int32() : 0;
        }
        rs.MoveNext();
        return true;
      },
      count);
}

}  // namespace quarnel::dataapi
