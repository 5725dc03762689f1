// Channels: the ordered list of a sequence's lighting channels.
//
// Each entry has a hardware address (Network, Device, Channel), a unique display name
// of at most 100 characters, a DeviceType, a Color and 256 settings. The list order is
// the user's; a second table, sorted by address key, maps each address to its position.
// A new list holds one entry, "[Reserved Channel]" at address 0,0,0.
//
// Refusals give -1 or do nothing, never an error: an index outside the list, an address
// or name already present, an address whose key would not fit 24 characters. Table
// errors (7 out of memory, 6 overflow) reach the caller. Refresh is raised after every
// change of membership or order (Add, Remove, Move, MoveGroup, the UndoData put); field
// puts raise nothing. StatusChange and Progress are never raised by the list itself.
#pragma once

#include "dataapi/CollectionEvents.h"
#include "dataapi/DataTable.h"
#include "dataapi/Identity.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace quarnel::dataapi {

class Channels : public RefCounted {
 public:
  static constexpr const Guid& kClsid = kClsidChannels;
  static constexpr const Guid& kIid = kIidChannels;
  static constexpr int32_t kNameLength = 100;
  static constexpr int32_t kSettingCount = 256;
  static constexpr int32_t kKeyLength = 24;

  // A list holding only the reserved channel.
  static Ref<Channels> Create();

  // --- Fields of entry index; outside the list (or a setting outside 0..255) gets
  // read 0 or "" and puts are ignored.
  int32_t Network(int32_t index) const;
  int32_t Device(int32_t index) const;
  int32_t Channel(int32_t index) const;
  std::u16string Name(int32_t index) const;
  int32_t DeviceType(int32_t index) const;
  int32_t Color(int32_t index) const;
  int32_t Setting(int32_t index, int32_t setting_number) const;
  // Stores the name cut to 100 characters; uniqueness is not checked.
  void SetName(int32_t index, std::u16string_view value);
  void SetDeviceType(int32_t index, int32_t value);
  void SetColor(int32_t index, int32_t value);
  void SetSetting(int32_t index, int32_t setting_number, int32_t value);

  // --- List operations.

  // The last index, -1 when empty.
  int32_t GetBounds() const noexcept;
  // Gives one channel a new address, keeping its position, name, type, colour and
  // settings. Nothing happens when the source is absent or the destination address
  // belongs to another channel. The channel is out of the list while Remove raises
  // Refresh: when a handler then shortens the list it comes back at its end, and when a
  // handler takes the destination address it stays out.
  void MoveGroup(int32_t src_network, int32_t src_device, int32_t src_channel, int32_t dest_network,
                 int32_t dest_device, int32_t dest_channel);
  // Inserts a channel at insert_at_index (past the end appends); DeviceType, Color and
  // settings start at 0. The new index, or -1 for a negative index or a taken address
  // or name.
  int32_t Add(int32_t network, int32_t device, int32_t channel, std::u16string_view name,
              int32_t insert_at_index);
  // Removes one entry (the reserved channel too); its events and drawing are untouched.
  void Remove(int32_t index);
  // The index of an address, or -1.
  int32_t Find(int32_t network, int32_t device, int32_t channel) const;
  // The index whose name equals the first 100 characters of name exactly, or -1.
  int32_t FindName(std::u16string_view name) const;
  // Moves an entry so that it lands in front of the entry at dest_index before the move.
  // The new index, or -1 when either index is outside the list. Refresh handlers that
  // change the list while the entry is out of it (between its Remove and its return)
  // are as for MoveGroup; -1 when a handler took its address.
  int32_t Move(int32_t src_index, int32_t dest_index);
  // An independent copy.
  Ref<Channels> Clone() const;
  // Snapshot of the list as two strings: the result holds the list, lookup the index.
  std::u16string UndoData(std::u16string& lookup) const;
  // Restores a snapshot pair, then raises Refresh. A pair that is not a Channels
  // snapshot leaves the list unchanged.
  void SetUndoData(std::u16string& lookup, std::u16string_view value);

  // --- Events.
  uint32_t Advise(Ref<ChannelsEvents> sink) { return events_.Advise(std::move(sink)); }
  bool Unadvise(uint32_t cookie) { return events_.Unadvise(cookie); }

  // --- Library use.
  const DataTable& MainTable() const { return *main_; }
  const DataTable& LookupTable() const { return *lookup_; }
  // Replaces both tables by copies of the given ones (same layouts).
  void ReplaceTables(const DataTable& main, const DataTable& lookup);

 private:
  friend Ref<Channels> MakeRef<Channels>();
  Channels();

  int32_t InsertEntry(int32_t network, int32_t device, int32_t channel, std::u16string_view name,
                      int32_t at);
  void RaiseRefresh();
  // The name index: how many entries hold each name as stored (cut and trimmed), so
  // that Add checks a name without reading the whole list.
  void CountName(int32_t index, int32_t delta);
  void RebuildNameIndex();

  Ref<DataTable> main_;
  Ref<DataTable> lookup_;
  std::unordered_map<std::u16string, int32_t> name_counts_;
  EventSource<ChannelsEvents> events_;
};

}  // namespace quarnel::dataapi
