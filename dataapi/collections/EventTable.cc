#include "dataapi/collections/EventTable.h"

#include "dataapi/Events.h"

#include <string>

namespace quarnel::dataapi {

std::unique_ptr<Recordset> MakeEventTable() {
  auto table = std::make_unique<Recordset>();
  table->SetCursorLocation(CursorLocationEnum::adUseClient);
  static constexpr const char* kFields[] = {"SampleNumber", "Network",       "Device",
                                            "Channel",      "Command",       "StartIntensity",
                                            "EndIntensity", "ShortInterval", "LongInterval"};
  Fields& fields = table->Fields();
  for (const char* name : kFields) {
    fields.Append(name, DataTypeEnum::adInteger, 0, adFldUnspecified);
  }
  for (int32_t k = 0; k <= kMaxSetting; ++k) {
    fields.Append("Setting" + std::to_string(k), DataTypeEnum::adInteger, 0, adFldUnspecified);
  }
  table->Open();
  for (const char* name : {"SampleNumber", "Network", "Device", "Channel"}) {
    fields[name].SetProperties("Optimize", Value(1));
  }
  return table;
}

EventTableWriter::EventTableWriter(Recordset& table)
    : table_(table),
      network_(table.Fields()["Network"]),
      device_(table.Fields()["Device"]),
      channel_(table.Fields()["Channel"]),
      sample_(table.Fields()["SampleNumber"]),
      command_(table.Fields()["Command"]),
      start_(table.Fields()["StartIntensity"]),
      end_(table.Fields()["EndIntensity"]),
      long_interval_(table.Fields()["LongInterval"]),
      short_interval_(table.Fields()["ShortInterval"]),
      setting0_(table.Fields()["Setting0"]) {}

void EventTableWriter::Add(const CompiledRecord& r, int32_t channel, int32_t command) {
  table_.AddNew();
  network_.SetInt32(r.network);
  device_.SetInt32(r.device);
  channel_.SetInt32(channel);
  sample_.SetInt32(r.sample_number);
  command_.SetInt32(command);
  start_.SetInt32(r.start_intensity);
  end_.SetInt32(r.end_intensity);
  long_interval_.SetInt32(r.long_interval);
  short_interval_.SetInt32(r.short_interval);
  setting0_.SetInt32(r.setting0);
}

}  // namespace quarnel::dataapi
