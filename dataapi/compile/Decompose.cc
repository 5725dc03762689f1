// Decompiling for editing: compiled playback records back into one event per channel.
#include "dataapi/File.h"
#include "platform/base/Error.h"
#include "platform/recordset/Recordset.h"

#include <array>
#include <bit>
#include <cmath>

namespace quarnel::dataapi {

void File::Decompose() {
  RaiseStatusChange(u"Decompiling Data For Editing");
  std::unique_ptr<Recordset> table = ExpandCompiledData();
  Ref<dataapi::Events> events = events_.object;
  if (!events) throw Error::ObjectNotSet("File.Decompose");
  events->BulkCreate(*table);
}

std::unique_ptr<Recordset> File::ExpandCompiledData() {
  std::unique_ptr<Recordset> table = MakeEventTable();
  table->SetSort("");
  Fields& fields = table->Fields();
  Field& network = fields["Network"];
  Field& device = fields["Device"];
  Field& channel = fields["Channel"];
  Field& sample = fields["SampleNumber"];
  Field& command = fields["Command"];
  Field& start = fields["StartIntensity"];
  Field& end = fields["EndIntensity"];
  Field& long_interval = fields["LongInterval"];
  Field& short_interval = fields["ShortInterval"];
  Field& setting0 = fields["Setting0"];

  // The records are read where they lie, taken out of the document for the time being:
  // a progress handler may run another Load or Compose on this document.
  std::vector<CompiledRecord> records;
  records.swap(compiled_data_);
  struct PutBack {
    std::vector<CompiledRecord>& from;
    std::vector<CompiledRecord>& to;
    ~PutBack() { to.swap(from); }
  } put_back{records, compiled_data_};

  size_t rows = 0;
  for (const CompiledRecord& r : records) {
    if (r.command > 0) rows += std::popcount(static_cast<uint32_t>(r.channel_mask) & 0xFFFFu);
  }
  table->Reserve(rows);
  const double last_index = static_cast<double>(records.size()) - 1;
  double last = 0;  // the last progress reported
  for (size_t i = 0; i < records.size(); ++i) {
    const CompiledRecord& r = records[i];
    for (int32_t b = 0; b < 16; ++b) {
      const std::optional<CompiledEvent> e = ReadCompiledEvent(r, b);
      if (!e) continue;
      table->AddNew();
      network.SetInt32(r.network);
      device.SetInt32(r.device);
      channel.SetInt32(e->channel);
      sample.SetInt32(r.sample_number);
      command.SetInt32(e->command);
      start.SetInt32(r.start_intensity);
      end.SetInt32(r.end_intensity);
      long_interval.SetInt32(r.long_interval);
      short_interval.SetInt32(r.short_interval);
      setting0.SetInt32(r.setting0);
    }
    // With one record the ratio would be 0 / 0; it counts as 0.
    const double p = last_index > 0 ? std::nearbyint(static_cast<double>(i) / last_index * 70) : 0;
    if (p > last + 10) {
      RaiseProgressValue(p);
      last = p;
    }
  }
  table->SetSort("network, device, channel, samplenumber");
  return table;
}

}  // namespace quarnel::dataapi
