#include "dataapi/Events.h"

#include "dataapi/RampCalc.h"
#include "dataapi/collections/ChannelRun.h"
#include "dataapi/collections/EventRow.h"
#include "dataapi/collections/Snapshot.h"
#include "platform/base/Error.h"

#include <vector>

namespace quarnel::dataapi {

using namespace event_row;

Ref<Events> Events::Create() { return MakeRef<Events>(); }

Events::Events() : table_(DataTable::Create()) {
  std::vector<int32_t> widths(kColumnCount, 4);
  std::vector<TableDataType> types(kColumnCount, dataLong);
  widths[kEventKey] = kEventKeyBytes;
  widths[kChannelKey] = kChannelKeyBytes;
  types[kEventKey] = types[kChannelKey] = dataUnicodeString;
  table_->SetupTable(widths, types, kPageSize);
}

void Events::RaiseRefresh() {
  events_.Raise(*this, [](EventsEvents& sink) { sink.Refresh(); });
}

int32_t Events::SampleNumber(int32_t index) const { return table_->LongData(kSampleNumber, index); }
int32_t Events::Network(int32_t index) const { return table_->LongData(kNetwork, index); }
int32_t Events::Device(int32_t index) const { return table_->LongData(kDevice, index); }
int32_t Events::Channel(int32_t index) const { return table_->LongData(kChannel, index); }
int32_t Events::Command(int32_t index) const { return table_->LongData(kCommand, index); }
int32_t Events::StartIntensity(int32_t index) const {
  return table_->LongData(kStartIntensity, index);
}
int32_t Events::EndIntensity(int32_t index) const { return table_->LongData(kEndIntensity, index); }
int32_t Events::ShortInterval(int32_t index) const {
  return table_->LongData(kShortInterval, index);
}
int32_t Events::LongInterval(int32_t index) const { return table_->LongData(kLongInterval, index); }

int32_t Events::Setting(int32_t index, int32_t setting_number) const {
  if (setting_number < 0 || setting_number > kMaxSetting) return 0;
  return table_->LongData(kFirstSetting + setting_number, index);
}

void Events::SetCommand(int32_t index, int32_t value) {
  table_->SetLongData(kCommand, index, value);
}
void Events::SetStartIntensity(int32_t index, int32_t value) {
  table_->SetLongData(kStartIntensity, index, value);
}
void Events::SetEndIntensity(int32_t index, int32_t value) {
  table_->SetLongData(kEndIntensity, index, value);
}
void Events::SetShortInterval(int32_t index, int32_t value) {
  table_->SetLongData(kShortInterval, index, value);
}
void Events::SetLongInterval(int32_t index, int32_t value) {
  table_->SetLongData(kLongInterval, index, value);
}
void Events::SetSetting(int32_t index, int32_t setting_number, int32_t value) {
  if (setting_number < 0 || setting_number > kMaxSetting) return;
  table_->SetLongData(kFirstSetting + setting_number, index, value);
}

int32_t Events::EventLength(int32_t index) const {
  int32_t last = table_->GetBounds();
  if (index < 0 || index > last) return 0;
  if (index < last) {
    const uint8_t* row = table_->RowPointer(index);
    const uint8_t* next = table_->RowPointer(index + 1);
    if (ReadLong(row, kNetwork) == ReadLong(next, kNetwork) &&
        ReadLong(row, kDevice) == ReadLong(next, kDevice) &&
        ReadLong(row, kChannel) == ReadLong(next, kChannel)) {
      int64_t length =
          static_cast<int64_t>(ReadLong(next, kSampleNumber)) - ReadLong(row, kSampleNumber);
      if (length > INT32_MAX || length < INT32_MIN) throw Error::Overflow("Events.EventLength");
      return static_cast<int32_t>(length);
    }
  }
  return 1;
}

void Events::SetEventLength(int32_t index, int32_t value) {
  RampIntervals ramp = CalcRampIntervals(value);
  SetShortInterval(index, ramp.first);
  SetLongInterval(index, ramp.second);
}

int32_t Events::GetBounds() const noexcept { return table_->GetBounds(); }

int32_t Events::InsertAt(int32_t row, const EventRecord& record) {
  row = table_->InsertRows(row, 1);
  Write(table_->RowPointer(row), record);
  return row;
}

int32_t Events::Add(int32_t network, int32_t device, int32_t channel, int32_t sample_number,
                    bool overwrite) {
  // A cut key would break the order of the table.
  if (!KeysFit(network, device, channel, sample_number)) return -1;
  KeyBuffer key(network, device, channel, sample_number);
  EventRecord record;
  record.network = network;
  record.device = device;
  record.channel = channel;
  record.sample_number = sample_number;
  // Events usually arrive in key order: a key above the last one goes at the end, which
  // is where both searches below would put it.
  const int32_t last = table_->GetBounds();
  if (last >= 0 && table_->CompareCellKey(kEventKey, last, key.View()) == FirstKeyLessThan) {
    int32_t q = InsertAt(last + 1, record);
    RaiseRefresh();
    return q;
  }
  int32_t p = table_->IndexSeek(kEventKey, key.View(), FindFirstExact);
  if (p >= 0) {
    if (!overwrite) return -1;
    if (SampleNumber(p) == -1) {
      // Remove keeps events at sample -1, so the event is replaced where it stands
      // rather than doubled.
      Write(table_->RowPointer(p), record);
      RaiseRefresh();
      return p;
    }
    Ref<Events> keep(this);
    Remove(p);
  }
  int32_t q = table_->IndexSeek(kEventKey, key.View(), FindRightAfter);
  if (q < 0) q = table_->GetBounds() + 1;
  q = InsertAt(q, record);
  RaiseRefresh();
  return q;
}

void Events::Remove(int32_t index) {
  if (index < 0 || index > table_->GetBounds() || SampleNumber(index) == -1) return;
  table_->DeleteRows(index, 1);
  RaiseRefresh();
}

int32_t Events::FindBegin(int32_t network, int32_t device, int32_t channel) const {
  return channel_run::Begin(*table_, kChannelKey, network, device, channel);
}

int32_t Events::FindEnd(int32_t network, int32_t device, int32_t channel) const {
  return channel_run::End(*table_, kChannelKey, network, device, channel);
}

void Events::RemoveGroup(int32_t network, int32_t device, int32_t channel) {
  if (channel_run::Remove(*table_, kChannelKey, network, device, channel)) RaiseRefresh();
}

int32_t Events::FindLeft(int32_t network, int32_t device, int32_t channel,
                         int32_t sample_number) const {
  KeyBuffer key(network, device, channel, sample_number);
  int32_t p = table_->IndexSeek(kEventKey, key.View(), FindLeftOrEqual);
  if (p < 0) return -1;
  return table_->StringEquals(kChannelKey, p, KeyBuffer(network, device, channel).View()) ? p : -1;
}

int32_t Events::FindRight(int32_t network, int32_t device, int32_t channel,
                          int32_t sample_number) const {
  KeyBuffer key(network, device, channel, sample_number);
  int32_t p = table_->IndexSeek(kEventKey, key.View(), FindRightAfter);
  if (p < 0) return -1;
  return table_->StringEquals(kChannelKey, p, KeyBuffer(network, device, channel).View()) ? p : -1;
}

void Events::SetSampleNumber(int32_t index, int32_t value) {
  if (index < 0 || index > table_->GetBounds()) return;
  EventRecord saved = Record(index);
  // An event at -1 is never removed one at a time, so it cannot move either; and a
  // sample whose key would not fit cannot take the event.
  if (saved.sample_number == -1) return;
  if (!KeysFit(saved.network, saved.device, saved.channel, value)) return;
  Ref<Events> keep(this);
  Remove(index);
  int32_t r = Add(saved.network, saved.device, saved.channel, value, true);
  if (r >= 0) {
    SetCommand(r, saved.command);
    SetStartIntensity(r, saved.start_intensity);
    SetEndIntensity(r, saved.end_intensity);
    for (int32_t s = 0; s <= kMaxSetting; ++s) SetSetting(r, s, saved.settings[s]);
  }
  if (r != index) RaiseRefresh();
}

EventRecord Events::Record(int32_t index) const {
  if (index < 0 || index > table_->GetBounds()) return {};
  return Read(table_->RowPointer(index));
}

Ref<Events> Events::Clone() const {
  Ref<Events> copy = Create();
  copy->ReplaceTable(*table_);
  return copy;
}

void Events::ReplaceTable(const DataTable& table) { table_ = table.Clone(); }

std::u16string Events::UndoData() const { return SnapshotOrEmpty(*table_); }

void Events::SetUndoData(std::u16string_view value) {
  RestoreSnapshot(table_, value);
  RaiseRefresh();
}

}  // namespace quarnel::dataapi
