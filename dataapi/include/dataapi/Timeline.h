// Timeline: the sorted time markers (sample numbers) of a sequence, each present once.
//
// Refusals give -1 or do nothing, never an error: a sample already present, a sample
// whose key would not fit 10 characters (below -999,999,999), a move that would break
// the order, an index outside the table. Only the UndoData put raises an event (Refresh).
#pragma once

#include "dataapi/CollectionEvents.h"
#include "dataapi/DataTable.h"
#include "dataapi/Identity.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quarnel::dataapi {

class Timeline : public RefCounted {
 public:
  static constexpr const Guid& kClsid = kClsidTimeline;
  static constexpr const Guid& kIid = kIidTimeline;
  static constexpr int32_t kKeyLength = 10;

  static Ref<Timeline> Create();

  // The marker's sample number; 0 outside the table.
  int32_t SampleNumber(int32_t index) const;
  // Moves an inner marker (not the first or the last) when the value stays strictly
  // between its neighbours; otherwise nothing changes.
  void SetSampleNumber(int32_t index, int32_t value);
  // Adds a marker in order; its index, or -1 when refused.
  int32_t Add(int32_t sample_number);
  // The last index, -1 when empty.
  int32_t GetBounds() const noexcept;
  void Remove(int32_t index);
  // The marker at the sample or the last one before it, or -1.
  int32_t FindLeft(int32_t sample_number) const;
  // The first marker after the sample, or -1.
  int32_t FindRight(int32_t sample_number) const;
  Ref<Timeline> Clone() const;
  std::u16string UndoData() const;
  // Restores a snapshot, then raises Refresh; a string that is no Timeline snapshot
  // leaves the markers unchanged.
  void SetUndoData(std::u16string_view value);

  uint32_t Advise(Ref<TimelineEvents> sink) { return events_.Advise(std::move(sink)); }
  bool Unadvise(uint32_t cookie) { return events_.Unadvise(cookie); }

  // --- Library use.
  const DataTable& Table() const { return *table_; }
  void ReplaceTable(const DataTable& table);

 private:
  friend Ref<Timeline> MakeRef<Timeline>();
  Timeline();

  Ref<DataTable> table_;
  EventSource<TimelineEvents> events_;
};

}  // namespace quarnel::dataapi
