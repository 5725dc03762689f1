// The layout of one event row and fast whole-row reads and writes for the bulk paths.
#pragma once

#include "dataapi/Events.h"
#include "dataapi/table/KeyText.h"

#include <algorithm>
#include <array>
#include <compare>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace quarnel::dataapi::event_row {

// Columns, in table order.
enum Column : int32_t {
  kEventKey = 0,
  kChannelKey,
  kNetwork,
  kDevice,
  kChannel,
  kSampleNumber,
  kCommand,
  kStartIntensity,
  kEndIntensity,
  kLongInterval,
  kShortInterval,
  kFirstSetting,
  kColumnCount = kFirstSetting + kMaxSetting + 1,
};

constexpr int32_t kEventKeyBytes = 2 * Events::kEventKeyLength;
constexpr int32_t kChannelKeyBytes = 2 * Events::kChannelKeyLength;
constexpr int32_t kWidth = kEventKeyBytes + kChannelKeyBytes + 4 * (kColumnCount - 2);
constexpr int32_t kPageSize = 65535;

constexpr int32_t Offset(int32_t column) {
  return column == kEventKey     ? 0
         : column == kChannelKey ? kEventKeyBytes
                                 : kEventKeyBytes + kChannelKeyBytes + 4 * (column - 2);
}

inline int32_t ReadLong(const uint8_t* row, int32_t column) {
  int32_t v;
  std::memcpy(&v, row + Offset(column), 4);
  return v;
}

inline void WriteLong(uint8_t* row, int32_t column, int32_t value) {
  std::memcpy(row + Offset(column), &value, 4);
}

// Writes text into a cell of chars characters, padded with spaces. REQUIRES: the text
// fits (chars <= 64).
inline void WriteText(uint8_t* cell, int32_t chars, std::u16string_view text) {
  static constexpr auto kSpaces = [] {
    std::array<char16_t, 64> a{};
    a.fill(u' ');
    return a;
  }();
  size_t n = std::min(text.size(), static_cast<size_t>(chars));
  std::memcpy(cell, text.data(), 2 * n);
  std::memcpy(cell + 2 * n, kSpaces.data(), 2 * (static_cast<size_t>(chars) - n));
}

// Whether the keys of an event fit their columns.
inline bool KeysFit(int32_t network, int32_t device, int32_t channel, int32_t sample) {
  return KeyBuffer(network, device, channel, sample).Length() <= Events::kEventKeyLength &&
         KeyBuffer(network, device, channel).Length() <= Events::kChannelKeyLength;
}

// Writes a whole row, both keys and every field of the record, unless a key would not
// fit its column; then nothing is written and the result is false.
inline bool TryWrite(uint8_t* row, const EventRecord& r) {
  KeyBuffer channel_key(r.network, r.device, r.channel);
  if (channel_key.Length() > Events::kChannelKeyLength) return false;
  KeyBuffer event_key = channel_key;
  event_key.Append(r.sample_number);
  if (event_key.Length() > Events::kEventKeyLength) return false;
  WriteText(row + Offset(kEventKey), Events::kEventKeyLength, event_key.View());
  WriteText(row + Offset(kChannelKey), Events::kChannelKeyLength, channel_key.View());
  int32_t fields[kColumnCount - kNetwork] = {r.network,       r.device,        r.channel,
                                             r.sample_number, r.command,       r.start_intensity,
                                             r.end_intensity, r.long_interval, r.short_interval};
  for (int32_t s = 0; s <= kMaxSetting; ++s) fields[kFirstSetting - kNetwork + s] = r.settings[s];
  std::memcpy(row + Offset(kNetwork), fields, sizeof fields);
  return true;
}

// Writes a whole row. REQUIRES: the keys fit (KeysFit).
inline void Write(uint8_t* row, const EventRecord& r) { TryWrite(row, r); }

inline EventRecord Read(const uint8_t* row) {
  EventRecord r;
  r.network = ReadLong(row, kNetwork);
  r.device = ReadLong(row, kDevice);
  r.channel = ReadLong(row, kChannel);
  r.sample_number = ReadLong(row, kSampleNumber);
  r.command = ReadLong(row, kCommand);
  r.start_intensity = ReadLong(row, kStartIntensity);
  r.end_intensity = ReadLong(row, kEndIntensity);
  r.long_interval = ReadLong(row, kLongInterval);
  r.short_interval = ReadLong(row, kShortInterval);
  for (int32_t s = 0; s <= kMaxSetting; ++s) r.settings[s] = ReadLong(row, kFirstSetting + s);
  return r;
}

// The sort key of an event, packed into two unsigned words that order as its four
// signed parts (Network, Device, Channel, SampleNumber) do.
struct SortKey {
  uint64_t high;
  uint64_t low;
  friend auto operator<=>(const SortKey&, const SortKey&) = default;
};

inline SortKey Pack(int32_t network, int32_t device, int32_t channel, int32_t sample) {
  auto word = [](int32_t a, int32_t b) {
    return (uint64_t{static_cast<uint32_t>(a) ^ 0x80000000u} << 32) |
           (static_cast<uint32_t>(b) ^ 0x80000000u);
  };
  return {word(network, device), word(channel, sample)};
}

// The key of a row, from its address columns (they agree with the key text).
inline SortKey KeyOf(const uint8_t* row) {
  return Pack(ReadLong(row, kNetwork), ReadLong(row, kDevice), ReadLong(row, kChannel),
              ReadLong(row, kSampleNumber));
}
inline SortKey KeyOf(const EventRecord& r) {
  return Pack(r.network, r.device, r.channel, r.sample_number);
}

}  // namespace quarnel::dataapi::event_row
