// The event table: events as the rows of a recordset, the form in which decompiling and
// the backup load hand a whole set of events to Events::BulkCreate.
//
// Its fields, all 32-bit integers, are SampleNumber, Network, Device, Channel, Command,
// StartIntensity, EndIntensity, ShortInterval, LongInterval and Setting0 to
// Setting<kMaxSetting>; the address and sample fields carry the "Optimize" hint. A new
// table is open, empty and unsorted.
#pragma once

#include "dataapi/CompiledRecord.h"
#include "platform/recordset/Recordset.h"

#include <cstdint>
#include <memory>

namespace quarnel::dataapi {

// A new, empty, open event table.
std::unique_ptr<Recordset> MakeEventTable();

// Adds rows to an event table through fields looked up once. A row takes its values
// from a record of the compiled layout, with the channel and command given apart: a
// compiled record names channels through its mask, a backup row holds the channel.
class EventTableWriter {
 public:
  // REQUIRES: `table` was made by MakeEventTable and outlives the writer.
  explicit EventTableWriter(Recordset& table);

  void Add(const CompiledRecord& r, int32_t channel, int32_t command);

 private:
  Recordset& table_;
  Field& network_;
  Field& device_;
  Field& channel_;
  Field& sample_;
  Field& command_;
  Field& start_;
  Field& end_;
  Field& long_interval_;
  Field& short_interval_;
  Field& setting0_;
};

}  // namespace quarnel::dataapi
