// The operations of Events that work on many rows at once: moving a channel's run,
// merging many new events in, and removing many in one pass.
#include "dataapi/Events.h"
#include "dataapi/collections/ChannelRun.h"
#include "dataapi/collections/EventRow.h"
#include "platform/base/Error.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

namespace quarnel::dataapi {

using namespace event_row;

namespace {

// What a load says about the events it had to leave out.
std::string SkippedText(int64_t skipped) {
  if (skipped == 1) {
    return "1 event was not loaded: its address and sample number do not fit the event key.";
  }
  return std::to_string(skipped) +
         " events were not loaded: their addresses and sample numbers do not fit the event key.";
}

}  // namespace

int32_t Events::MoveGroup(int32_t src_network, int32_t src_device, int32_t src_channel,
                          int32_t dest_network, int32_t dest_device, int32_t dest_channel) {
  int32_t b = FindBegin(src_network, src_device, src_channel);
  int32_t e = FindEnd(src_network, src_device, src_channel);
  // (e < b only in a table restored from a foreign snapshot.)
  if (b < 0 || e < b) return -1;
  std::vector<EventRecord> moved;
  moved.reserve(static_cast<size_t>(e - b + 1));
  for (int32_t i = b; i <= e; ++i) {
    EventRecord r = Record(i);
    if (!KeysFit(dest_network, dest_device, dest_channel, r.sample_number)) return -1;
    r.network = dest_network;
    r.device = dest_device;
    r.channel = dest_channel;
    r.short_interval = r.long_interval = 0;  // ramp intervals are derived afresh on saving
    moved.push_back(r);
  }
  Ref<Events> keep(this);
  RemoveGroup(src_network, src_device, src_channel);

  const int32_t n = static_cast<int32_t>(moved.size());
  int32_t db = FindBegin(dest_network, dest_device, dest_channel);
  int32_t de = FindEnd(dest_network, dest_device, dest_channel);
  int32_t first = -1;
  if (db < 0 || de < db) {
    const int32_t q = table_->InsertRows(
        channel_run::InsertPlace(*table_, kChannelKey, dest_network, dest_device, dest_channel), n);
    for (int32_t i = 0; i < n; ++i) Write(table_->RowPointer(q + i), moved[i]);
    first = q;
  } else {
    // The destination has events: merge both runs in sample order; a moved event
    // replaces one of the destination at the same sample.
    const int32_t existing = de - db + 1;
    std::vector<uint8_t> old_rows(table_->RowPointer(db), table_->RowPointer(de) + kWidth);
    const size_t width = static_cast<size_t>(kWidth);
    std::vector<uint8_t> merged;
    merged.reserve(old_rows.size() + moved.size() * width);
    std::vector<uint8_t> row(width);
    int32_t i = 0, j = 0, first_moved = -1, count = 0;
    while (i < existing || j < n) {
      const uint8_t* old_row = i < existing ? old_rows.data() + i * width : nullptr;
      int32_t old_sample = old_row ? ReadLong(old_row, kSampleNumber) : 0;
      if (j >= n || (old_row && old_sample < moved[j].sample_number)) {
        merged.insert(merged.end(), old_row, old_row + width);
        ++i;
      } else {
        if (old_row && old_sample == moved[j].sample_number) ++i;
        Write(row.data(), moved[j]);
        merged.insert(merged.end(), row.begin(), row.end());
        if (first_moved < 0) first_moved = count;
        ++j;
      }
      ++count;
    }
    if (count > existing) table_->InsertRows(db, count - existing);
    std::memcpy(table_->RowPointer(db), merged.data(), merged.size());
    first = db + first_moved;
  }
  RaiseRefresh();
  return first;
}

int32_t Events::AddMany(std::span<const EventRecord> records) {
  // The records that Add would take, in key order; of equal keys the earliest wins.
  struct Keyed {
    SortKey key;
    uint32_t index;
    bool operator<(const Keyed& o) const { return key != o.key ? key < o.key : index < o.index; }
  };
  std::vector<Keyed> order;
  order.reserve(records.size());
  for (uint32_t i = 0; i < records.size(); ++i) {
    const EventRecord& r = records[i];
    if (KeysFit(r.network, r.device, r.channel, r.sample_number)) order.push_back({KeyOf(r), i});
  }
  // Records that already come in key order (a bulk producer's usual case) need no sort.
  if (!std::is_sorted(order.begin(), order.end())) std::sort(order.begin(), order.end());
  order.erase(std::unique(order.begin(), order.end(),
                          [](const Keyed& a, const Keyed& b) { return a.key == b.key; }),
              order.end());

  // Keys already present keep their event: mark what is really new.
  const int32_t old_count = table_->GetBounds() + 1;
  std::vector<uint8_t> is_new(order.size(), 0);
  int64_t added = 0;
  for (size_t j = 0, i = 0; j < order.size(); ++j) {
    const SortKey& key = order[j].key;
    while (i < static_cast<size_t>(old_count) &&
           KeyOf(table_->RowPointer(static_cast<int32_t>(i))) < key) {
      ++i;
    }
    if (i < static_cast<size_t>(old_count) &&
        KeyOf(table_->RowPointer(static_cast<int32_t>(i))) == key) {
      continue;
    }
    is_new[j] = 1;
    ++added;
  }
  if (added == 0) return 0;
  if (old_count + added > INT32_MAX) throw Error::Overflow("Events.AddMany");

  // Grow once, then merge from the back so every row moves at most once.
  table_->Resize(static_cast<int32_t>(old_count + added));
  int64_t i = old_count - 1, w = old_count + added - 1;
  for (int64_t j = static_cast<int64_t>(order.size()) - 1; j >= 0; --j) {
    if (!is_new[j]) continue;
    const SortKey& key = order[j].key;
    // The old rows above the new key move up as one block.
    int64_t first = i;
    while (first >= 0 && KeyOf(table_->RowPointer(static_cast<int32_t>(first))) > key) --first;
    int64_t run = i - first;
    if (run > 0) {
      std::memmove(table_->RowPointer(static_cast<int32_t>(w - run + 1)),
                   table_->RowPointer(static_cast<int32_t>(first + 1)),
                   static_cast<size_t>(run) * kWidth);
      w -= run;
      i = first;
    }
    Write(table_->RowPointer(static_cast<int32_t>(w--)), records[order[j].index]);
  }
  RaiseRefresh();
  return static_cast<int32_t>(added);
}

int32_t Events::RemoveIf(const std::function<bool(const EventRecord&)>& matches) {
  const int32_t count = table_->GetBounds() + 1;
  int32_t w = 0;
  for (int32_t r = 0; r < count; ++r) {
    const uint8_t* row = table_->RowPointer(r);
    EventRecord record = Read(row);
    if (record.sample_number != -1 && matches(record)) continue;
    if (w != r) std::memcpy(table_->RowPointer(w), row, static_cast<size_t>(kWidth));
    ++w;
  }
  if (w == count) return 0;
  table_->Resize(w);
  RaiseRefresh();
  return count - w;
}

void Events::FillFromSorted(const std::function<bool(EventRecord&)>& next, int32_t count) {
  // Rows are written in the given (sorted) order into a new table sized once; of
  // records with equal address and sample the first wins; a record whose keys do not
  // fit their columns is left out, as Add refuses it; unused rows are trimmed at the
  // end. The events are only replaced when everything was read.
  Ref<DataTable> table = table_->CloneLayout();
  table->InsertRows(0, count);
  int32_t w = 0;
  int64_t skipped = 0;
  EventRecord record;
  SortKey previous{};
  while (w < count && next(record)) {
    SortKey key = KeyOf(record);
    if (w > 0 && key == previous) continue;
    if (!TryWrite(table->RowPointer(w), record)) {
      ++skipped;
      continue;
    }
    ++w;
    previous = key;
  }
  if (w < count) table->DeleteRows(w, count - w);
  table_ = table;
  RaiseRefresh();
  if (skipped > 0) {
    const std::string ascii = SkippedText(skipped);
    std::u16string text(ascii.begin(), ascii.end());
    events_.Raise(*this, [&](EventsEvents& sink) { sink.StatusChange(text); });
  }
}

}  // namespace quarnel::dataapi
