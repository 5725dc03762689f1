#include "dataapi/Channels.h"

#include "dataapi/collections/Snapshot.h"
#include "dataapi/table/KeyText.h"
#include "platform/base/Error.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace quarnel::dataapi {
namespace {

constexpr int32_t kNetworkColumn = 0;
constexpr int32_t kDeviceColumn = 1;
constexpr int32_t kChannelColumn = 2;
constexpr int32_t kNameColumn = 3;
constexpr int32_t kDeviceTypeColumn = 4;
constexpr int32_t kColorColumn = 5;
constexpr int32_t kFirstSettingColumn = 6;
constexpr int32_t kColumnCount = kFirstSettingColumn + Channels::kSettingCount;
constexpr int32_t kPageSize = 65535;
// Lookup table: address key, list index.
constexpr int32_t kKeyColumn = 0;
constexpr int32_t kIndexColumn = 1;

bool ValidSetting(int32_t setting_number) {
  return setting_number >= 0 && setting_number < Channels::kSettingCount;
}

}  // namespace

Ref<Channels> Channels::Create() { return MakeRef<Channels>(); }

Channels::Channels() : main_(DataTable::Create()), lookup_(DataTable::Create()) {
  std::vector<int32_t> widths(kColumnCount, 4);
  std::vector<TableDataType> types(kColumnCount, dataLong);
  widths[kNameColumn] = 2 * kNameLength;
  types[kNameColumn] = dataUnicodeString;
  main_->SetupTable(widths, types, kPageSize);
  const int32_t lookup_widths[] = {2 * kKeyLength, 4};
  const TableDataType lookup_types[] = {dataUnicodeString, dataLong};
  lookup_->SetupTable(lookup_widths, lookup_types, kPageSize);
  Add(0, 0, 0, u"[Reserved Channel]", 0);
}

int32_t Channels::Network(int32_t index) const { return main_->LongData(kNetworkColumn, index); }
int32_t Channels::Device(int32_t index) const { return main_->LongData(kDeviceColumn, index); }
int32_t Channels::Channel(int32_t index) const { return main_->LongData(kChannelColumn, index); }
std::u16string Channels::Name(int32_t index) const { return main_->StringData(kNameColumn, index); }
int32_t Channels::DeviceType(int32_t index) const {
  return main_->LongData(kDeviceTypeColumn, index);
}
int32_t Channels::Color(int32_t index) const { return main_->LongData(kColorColumn, index); }

int32_t Channels::Setting(int32_t index, int32_t setting_number) const {
  if (!ValidSetting(setting_number)) return 0;
  return main_->LongData(kFirstSettingColumn + setting_number, index);
}

void Channels::SetName(int32_t index, std::u16string_view value) {
  if (index < 0 || index > main_->GetBounds()) return;
  CountName(index, -1);
  main_->SetStringData(kNameColumn, index, value);
  CountName(index, +1);
}
void Channels::SetDeviceType(int32_t index, int32_t value) {
  main_->SetLongData(kDeviceTypeColumn, index, value);
}
void Channels::SetColor(int32_t index, int32_t value) {
  main_->SetLongData(kColorColumn, index, value);
}
void Channels::SetSetting(int32_t index, int32_t setting_number, int32_t value) {
  if (!ValidSetting(setting_number)) return;
  main_->SetLongData(kFirstSettingColumn + setting_number, index, value);
}

int32_t Channels::GetBounds() const noexcept { return main_->GetBounds(); }

void Channels::CountName(int32_t index, int32_t delta) {
  std::u16string name = main_->StringData(kNameColumn, index);
  auto it = name_counts_.try_emplace(std::move(name), 0).first;
  it->second += delta;
  if (it->second <= 0) name_counts_.erase(it);
}

void Channels::RebuildNameIndex() {
  name_counts_.clear();
  const int32_t last = main_->GetBounds();
  for (int32_t r = 0; r <= last; ++r) CountName(r, +1);
}

void Channels::RaiseRefresh() {
  events_.Raise(*this, [](ChannelsEvents& sink) { sink.Refresh(); });
}

int32_t Channels::InsertEntry(int32_t network, int32_t device, int32_t channel,
                              std::u16string_view name, int32_t at) {
  KeyBuffer key(network, device, channel);
  int32_t last = main_->GetBounds();
  int32_t p = 0;
  if (last < 0) {
    main_->Clear();
    lookup_->Clear();
    name_counts_.clear();
    at = 0;
  } else {
    p = lookup_->IndexSeek(kKeyColumn, key.View(), FindRightAfter);
    if (p < 0) p = last + 1;
    // Entries at or behind the new position move one place down the list. Nothing
    // can sit at or behind an append.
    if (at <= last) {
      for (int32_t r = 0; r <= last; ++r) {
        int32_t index = lookup_->LongData(kIndexColumn, r);
        // (Wrapping only matters for a lookup restored from a foreign snapshot.)
        if (index >= at) {
          lookup_->SetLongData(kIndexColumn, r,
                               static_cast<int32_t>(static_cast<uint32_t>(index) + 1));
        }
      }
    }
  }
  lookup_->InsertRows(p, 1);
  main_->InsertRows(at, 1);
  lookup_->SetStringData(kKeyColumn, p, key.View());
  lookup_->SetLongData(kIndexColumn, p, at);
  std::memset(main_->RowPointer(at), 0, static_cast<size_t>(main_->RowWidth()));
  main_->SetLongData(kNetworkColumn, at, network);
  main_->SetLongData(kDeviceColumn, at, device);
  main_->SetLongData(kChannelColumn, at, channel);
  main_->SetStringData(kNameColumn, at, name);
  CountName(at, +1);
  return at;
}

int32_t Channels::Add(int32_t network, int32_t device, int32_t channel, std::u16string_view name,
                      int32_t insert_at_index) {
  int32_t last = main_->GetBounds();
  if (insert_at_index > last + 1) insert_at_index = last + 1;
  if (insert_at_index < 0) return -1;
  // A cut key would break the order of the lookup table.
  if (KeyBuffer(network, device, channel).Length() > kKeyLength) return -1;
  if (Find(network, device, channel) >= 0) return -1;
  if (FindName(name) >= 0) return -1;
  int32_t at = InsertEntry(network, device, channel, name, insert_at_index);
  RaiseRefresh();
  return at;
}

void Channels::Remove(int32_t index) {
  int32_t last = main_->GetBounds();
  if (index < 0 || index > last) return;
  KeyBuffer key(Network(index), Device(index), Channel(index));
  int32_t p = lookup_->IndexSeek(kKeyColumn, key.View(), FindFirstExact);
  if (p < 0) return;
  for (int32_t r = 0; r <= last; ++r) {
    int32_t i = lookup_->LongData(kIndexColumn, r);
    if (i > index) lookup_->SetLongData(kIndexColumn, r, i - 1);
  }
  CountName(index, -1);
  lookup_->DeleteRows(p, 1);
  main_->DeleteRows(index, 1);
  RaiseRefresh();
}

int32_t Channels::Find(int32_t network, int32_t device, int32_t channel) const {
  KeyBuffer key(network, device, channel);
  int32_t p = lookup_->IndexSeek(kKeyColumn, key.View(), FindFirstExact);
  return p < 0 ? -1 : lookup_->LongData(kIndexColumn, p);
}

int32_t Channels::FindName(std::u16string_view name) const {
  name = name.substr(0, kNameLength);
  if (!name_counts_.contains(std::u16string(name))) return -1;
  int32_t last = main_->GetBounds();
  for (int32_t r = 0; r <= last; ++r) {
    if (main_->StringEquals(kNameColumn, r, name)) return r;
  }
  return -1;
}

int32_t Channels::Move(int32_t src_index, int32_t dest_index) {
  int32_t last = main_->GetBounds();
  if (src_index < 0 || src_index > last || dest_index < 0 || dest_index > last) return -1;
  Ref<Channels> keep(this);
  std::vector<uint8_t> row(main_->RowPointer(src_index),
                           main_->RowPointer(src_index) + main_->RowWidth());
  int32_t network = Network(src_index), device = Device(src_index), channel = Channel(src_index);
  std::u16string name = Name(src_index);
  Remove(src_index);
  // Remove's Refresh handlers may have changed the list meanwhile: the entry goes back at
  // a place the list still has, and not at all when a handler gave its address to
  // another channel (as Add refuses a taken address).
  if (Find(network, device, channel) >= 0) {
    RaiseRefresh();
    return -1;
  }
  const int32_t d =
      std::min(dest_index > src_index ? dest_index - 1 : dest_index, main_->GetBounds() + 1);
  // The entry goes back as it was: its name is not checked again, so a list holding a
  // name twice (through SetName) cannot lose the moved entry.
  int32_t r = InsertEntry(network, device, channel, name, d);
  std::memcpy(main_->RowPointer(r), row.data(), row.size());
  RaiseRefresh();
  RaiseRefresh();
  return r;
}

void Channels::MoveGroup(int32_t src_network, int32_t src_device, int32_t src_channel,
                         int32_t dest_network, int32_t dest_device, int32_t dest_channel) {
  int32_t i = Find(src_network, src_device, src_channel);
  // (An index past the list only in a list restored from a foreign snapshot.)
  if (i < 0 || i > main_->GetBounds()) return;
  if (KeyBuffer(dest_network, dest_device, dest_channel).Length() > kKeyLength) return;
  int32_t taken = Find(dest_network, dest_device, dest_channel);
  if (taken >= 0 && taken != i) return;
  Ref<Channels> keep(this);
  std::vector<uint8_t> row(main_->RowPointer(i), main_->RowPointer(i) + main_->RowWidth());
  std::u16string name = Name(i);
  Remove(i);
  // As in Move: the list may have changed under Remove's Refresh handlers.
  if (Find(dest_network, dest_device, dest_channel) >= 0) {
    RaiseRefresh();
    return;
  }
  int32_t r = InsertEntry(dest_network, dest_device, dest_channel, name,
                          std::min(i, main_->GetBounds() + 1));
  // Everything but the address comes back byte for byte.
  size_t from = static_cast<size_t>(main_->ColumnOffset(kNameColumn));
  std::memcpy(main_->RowPointer(r) + from, row.data() + from, row.size() - from);
  RaiseRefresh();
  RaiseRefresh();
}

Ref<Channels> Channels::Clone() const {
  Ref<Channels> copy = Create();
  copy->ReplaceTables(*main_, *lookup_);
  return copy;
}

void Channels::ReplaceTables(const DataTable& main, const DataTable& lookup) {
  main_ = main.Clone();
  lookup_ = lookup.Clone();
  RebuildNameIndex();
}

std::u16string Channels::UndoData(std::u16string& lookup) const {
  try {
    lookup = TableSnapshot(*lookup_);
    return TableSnapshot(*main_);
  } catch (const Error&) {
    return {};
  }
}

void Channels::SetUndoData(std::u16string& lookup, std::u16string_view value) {
  try {
    std::vector<uint8_t> main_bytes, lookup_bytes;
    // Both strings must be a pair of the same list, or neither is taken.
    if (SnapshotBytes(value, *main_, main_bytes) && SnapshotBytes(lookup, *lookup_, lookup_bytes) &&
        (main_bytes.size() - 1) / static_cast<size_t>(main_->RowWidth()) ==
            (lookup_bytes.size() - 1) / static_cast<size_t>(lookup_->RowWidth())) {
      Ref<DataTable> main = main_->CloneLayout(), index = lookup_->CloneLayout();
      main->SetRawData(main_bytes);
      index->SetRawData(lookup_bytes);
      main_ = main;
      lookup_ = index;
      RebuildNameIndex();
    }
  } catch (const Error&) {
  }
  RaiseRefresh();
}

}  // namespace quarnel::dataapi
