// Events: the lighting events of a sequence.
//
// Each event drives one channel (Network, Device, Channel) from one SampleNumber on.
// All events live in one table sorted by address and then sample (the key
// Network,Device,Channel,SampleNumber), so a channel's events form one contiguous run
// in sample order and each channel has at most one event per sample. An event's length
// is not stored: it runs to the channel's next event.
//
// Refusals give -1 or do nothing, never an error: an index outside the table, a taken
// sample without Overwrite, a channel without events, an address whose keys would not
// fit the key columns. Table errors (7 out of memory, 6 overflow) reach the caller.
// Refresh is raised by Add, Remove, RemoveGroup, MoveGroup, the SampleNumber put,
// BulkCreate, AddMany, RemoveIf and the UndoData put; puts of the other fields raise
// nothing and do not re-sort. StatusChange is raised only by BulkCreate, after its
// Refresh, to say how many records it left out; Progress is never raised.
#pragma once

#include "dataapi/CollectionEvents.h"
#include "dataapi/DataTable.h"
#include "dataapi/Identity.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace quarnel {
class Recordset;
}

namespace quarnel::dataapi {

inline constexpr int32_t kMaxSetting = 0;

// One event, as the bulk operations take and give it.
struct EventRecord {
  int32_t network = 0;
  int32_t device = 0;
  int32_t channel = 0;
  int32_t sample_number = 0;
  int32_t command = 0;
  int32_t start_intensity = 0;
  int32_t end_intensity = 0;
  int32_t short_interval = 0;
  int32_t long_interval = 0;
  std::array<int32_t, kMaxSetting + 1> settings{};
  friend bool operator==(const EventRecord&, const EventRecord&) = default;
};

class Events : public RefCounted {
 public:
  static constexpr const Guid& kClsid = kClsidEvents;
  static constexpr const Guid& kIid = kIidEvents;
  static constexpr int32_t kEventKeyLength = 35;
  static constexpr int32_t kChannelKeyLength = 24;
  static constexpr int32_t kSamplesPerSecond = 88200;

  // An empty collection.
  static Ref<Events> Create();

  // --- Fields of event index; outside the table (or a setting outside
  // 0..MaxSetting) gets read 0 and puts are ignored.
  int32_t SampleNumber(int32_t index) const;
  int32_t Network(int32_t index) const;
  int32_t Device(int32_t index) const;
  int32_t Channel(int32_t index) const;
  int32_t Command(int32_t index) const;
  int32_t StartIntensity(int32_t index) const;
  int32_t EndIntensity(int32_t index) const;
  int32_t ShortInterval(int32_t index) const;
  int32_t LongInterval(int32_t index) const;
  int32_t Setting(int32_t index, int32_t setting_number) const;
  int32_t MaxSetting() const { return kMaxSetting; }
  // Samples to the channel's next event; 1 for a channel's last event; 0 outside the
  // table. Raises 6 when the distance leaves the 32-bit range.
  int32_t EventLength(int32_t index) const;

  // Moves the event to another sample, keeping its Command, intensities and settings
  // (the intervals start at 0); an event of the channel at that sample is replaced.
  // Ignored for an index outside the table and for an event at sample -1, which is
  // never moved or removed one at a time.
  void SetSampleNumber(int32_t index, int32_t value);
  void SetCommand(int32_t index, int32_t value);
  void SetStartIntensity(int32_t index, int32_t value);
  void SetEndIntensity(int32_t index, int32_t value);
  void SetShortInterval(int32_t index, int32_t value);
  void SetLongInterval(int32_t index, int32_t value);
  void SetSetting(int32_t index, int32_t setting_number, int32_t value);
  // Sets ShortInterval and LongInterval from CalcRampIntervals(value).
  void SetEventLength(int32_t index, int32_t value);

  // --- Collection operations.

  // The last index, -1 when empty.
  int32_t GetBounds() const noexcept;
  // Replaces all events by the records of rs, which must have the fields Network,
  // Device, Channel, SampleNumber, Command, StartIntensity, EndIntensity,
  // ShortInterval and LongInterval (any case; Setting0.. are optional, 0 when absent).
  // Records are put in key order numerically, whatever the fields' types; of records
  // with equal address and sample the one stored first is kept. A record whose keys
  // would not fit the key columns is left out, as Add refuses it, and a StatusChange
  // text counts what was left out. A missing field changes nothing and raises nothing. The
  // recordset's filter is cleared; its sort and current row are left alone. Errors of the recordset
  // (a value that is no integer) reach the caller and leave the events as they were.
  void BulkCreate(Recordset& rs);
  // Adds an event with every other field 0. Its index, or -1 when the channel already
  // has an event at that sample (with overwrite, that event is replaced instead).
  int32_t Add(int32_t network, int32_t device, int32_t channel, int32_t sample_number,
              bool overwrite = false);
  // Removes one event; an event at sample -1 is kept.
  void Remove(int32_t index);
  // Removes every event of a channel (those at sample -1 too).
  void RemoveGroup(int32_t network, int32_t device, int32_t channel);
  // Moves every event of one channel to another address; the index of the first moved
  // event, or -1 when the source has none. When the destination already has events
  // the runs are merged in sample order, a moved event replacing one at the same sample.
  int32_t MoveGroup(int32_t src_network, int32_t src_device, int32_t src_channel,
                    int32_t dest_network, int32_t dest_device, int32_t dest_channel);
  // The channel's event at the sample or its last before it (the event in force), or -1.
  int32_t FindLeft(int32_t network, int32_t device, int32_t channel, int32_t sample_number) const;
  // The channel's first event after the sample, or -1.
  int32_t FindRight(int32_t network, int32_t device, int32_t channel, int32_t sample_number) const;
  // The channel's first and last events, or -1.
  int32_t FindBegin(int32_t network, int32_t device, int32_t channel) const;
  int32_t FindEnd(int32_t network, int32_t device, int32_t channel) const;
  // An independent copy.
  Ref<Events> Clone() const;
  // Snapshot string of all events.
  std::u16string UndoData() const;
  // Restores a snapshot, then raises Refresh; a string that is no Events snapshot
  // leaves the events unchanged.
  void SetUndoData(std::u16string_view value);

  // --- Events.
  uint32_t Advise(Ref<EventsEvents> sink) { return events_.Advise(std::move(sink)); }
  bool Unadvise(uint32_t cookie) { return events_.Unadvise(cookie); }

  // --- Bulk work of the library.

  // Adds many events at once, with exactly the outcome of calling, for each record in
  // order, Add(address, sample) and, when that gives an index, setting every other
  // field from the record: a sample already taken (before or by an earlier record)
  // keeps its event. Raises Refresh once when anything was added. The number added.
  int32_t AddMany(std::span<const EventRecord> records);
  // Removes every event for which matches(record) is true, except events at sample -1,
  // with the outcome of removing them one at a time. Raises Refresh once when anything
  // was removed. The number removed.
  int32_t RemoveIf(const std::function<bool(const EventRecord&)>& matches);
  // Every field of event index (zeros outside the table).
  EventRecord Record(int32_t index) const;
  const DataTable& Table() const { return *table_; }
  // Replaces the table by a copy of the given one (same layout).
  void ReplaceTable(const DataTable& table);

 private:
  friend Ref<Events> MakeRef<Events>();
  Events();

  void RaiseRefresh();
  int32_t InsertAt(int32_t row, const EventRecord& record);
  void FillFromSorted(const std::function<bool(EventRecord&)>& next, int32_t count);

  Ref<DataTable> table_;
  EventSource<EventsEvents> events_;
};

// Whether rs has a field of that name, compared without regard to case.
bool RecordsetHasField(Recordset& rs, std::string_view name);

}  // namespace quarnel::dataapi
