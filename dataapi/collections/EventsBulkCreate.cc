// Loading all events at once from a recordset (the event table of a sequence file).
//
// The records are read in the order they are stored, one field at a time, and put in
// key order here: numerically by Network, Device, Channel and SampleNumber whatever
// the fields' types, and of records with equal keys the one stored first wins.
#include "dataapi/Events.h"
#include "platform/recordset/Recordset.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace quarnel::dataapi {
namespace {

// The cell as a 32-bit integer, with the conversions a field value read makes.
int32_t CellInt32(const RecordTable& table, size_t row, size_t column) {
  const RecordColumn& c = table.Column(column);
  if (c.kind() == StorageKind::kInt32) {
    CellState state = c.State(row);
    if (state == CellState::kValue) return c.Int32(row);
    if (state == CellState::kEmpty) return 0;
  }
  return table.Get(row, column).ToInt32("Field.Value");
}

}  // namespace

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
  rs.SetFilter("");
  const int32_t count = rs.RecordCount();
  const RecordTable& table = rs.Table();
  auto column = [&](const char* name) { return table.FindField(name); };

  std::vector<EventRecord> records(static_cast<size_t>(count));
  auto read = [&](ptrdiff_t col, int32_t EventRecord::*member) {
    for (size_t row = 0; row < records.size(); ++row) {
      records[row].*member = CellInt32(table, row, static_cast<size_t>(col));
    }
  };
  read(column("Network"), &EventRecord::network);
  read(column("Device"), &EventRecord::device);
  read(column("Channel"), &EventRecord::channel);
  read(column("SampleNumber"), &EventRecord::sample_number);
  read(column("Command"), &EventRecord::command);
  read(column("StartIntensity"), &EventRecord::start_intensity);
  read(column("EndIntensity"), &EventRecord::end_intensity);
  read(column("LongInterval"), &EventRecord::long_interval);
  read(column("ShortInterval"), &EventRecord::short_interval);
  for (int32_t s = 0; s <= kMaxSetting; ++s) {
    ptrdiff_t col = column(("Setting" + std::to_string(s)).c_str());
    for (size_t row = 0; row < records.size(); ++row) {
      records[row].settings[s] = col < 0 ? 0 : CellInt32(table, row, static_cast<size_t>(col));
    }
  }

  // Each key packed into two unsigned words that order as the four signed parts do.
  struct Keyed {
    uint64_t high, low;
    uint32_t row;
    bool operator<(const Keyed& o) const {
      if (high != o.high) return high < o.high;
      if (low != o.low) return low < o.low;
      return row < o.row;
    }
  };
  auto word = [](int32_t a, int32_t b) {
    return (uint64_t{static_cast<uint32_t>(a) ^ 0x80000000u} << 32) |
           (static_cast<uint32_t>(b) ^ 0x80000000u);
  };
  std::vector<Keyed> order(records.size());
  for (size_t row = 0; row < records.size(); ++row) {
    const EventRecord& r = records[row];
    order[row] = {word(r.network, r.device), word(r.channel, r.sample_number),
                  static_cast<uint32_t>(row)};
  }
  std::sort(order.begin(), order.end());

  size_t next = 0;
  FillFromSorted(
      [&](EventRecord& r) {
        if (next == order.size()) return false;
        // The records are gathered out of order: ask for the ones a few steps ahead.
        if (next + 8 < order.size()) __builtin_prefetch(&records[order[next + 8].row]);
        r = records[order[next++].row];
        return true;
      },
      count);
}

}  // namespace quarnel::dataapi
