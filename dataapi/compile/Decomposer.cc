#include "dataapi/compile/Decomposer.h"

#include "dataapi/collections/EventTable.h"
#include "platform/recordset/Recordset.h"

#include <bit>
#include <cstdint>
#include <optional>

namespace quarnel::dataapi::compile {

void Decompose(std::span<const CompiledRecord> records, DecomposeHost& host) {
  host.StatusChange(kStatusDecompiling);
  ProgressTracker progress([&host](double percent) { host.Progress(percent); });
  std::unique_ptr<Recordset> table = ExpandCompiledRecords(records, progress);
  host.TargetEvents()->BulkCreate(*table);
}

std::unique_ptr<Recordset> ExpandCompiledRecords(std::span<const CompiledRecord> records,
                                                 ProgressTracker& progress) {
  std::unique_ptr<Recordset> table = MakeEventTable();
  table->SetSort("");
  size_t rows = 0;
  for (const CompiledRecord& r : records) {
    if (r.command > 0) rows += std::popcount(static_cast<uint32_t>(r.channel_mask) & 0xFFFFu);
  }
  table->Reserve(rows);
  EventTableWriter writer(*table);
  const int64_t last_index = static_cast<int64_t>(records.size()) - 1;
  for (size_t i = 0; i < records.size(); ++i) {
    const CompiledRecord& r = records[i];
    for (int32_t b = 0; b < 16; ++b) {
      if (const std::optional<CompiledEvent> e = ReadCompiledEvent(r, b)) {
        writer.Add(r, e->channel, e->command);
      }
    }
    progress.Advance(ProgressPercent(static_cast<int64_t>(i), last_index, 70));
  }
  table->SetSort("network, device, channel, samplenumber");
  return table;
}

}  // namespace quarnel::dataapi::compile
