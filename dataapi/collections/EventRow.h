// The layout of one event row and fast whole-row reads and writes for the bulk paths.
#pragma once

#include "dataapi/Events.h"
#include "dataapi/table/KeyText.h"

#include <array>
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

// Writes text into a cell of chars characters, padded with spaces.
inline void WriteText(uint8_t* cell, int32_t chars, std::u16string_view text) {
  for (int32_t i = 0; i < chars; ++i) {
    char16_t c = static_cast<size_t>(i) < text.size() ? text[i] : u' ';
    cell[2 * i] = static_cast<uint8_t>(c & 0xFF);
    cell[2 * i + 1] = static_cast<uint8_t>(c >> 8);
  }
}

// Whether the keys of an event fit their columns.
inline bool KeysFit(int32_t network, int32_t device, int32_t channel, int32_t sample) {
  return KeyBuffer(network, device, channel, sample).Length() <= Events::kEventKeyLength &&
         KeyBuffer(network, device, channel).Length() <= Events::kChannelKeyLength;
}

// Writes a whole row: both keys and every field of the record.
inline void Write(uint8_t* row, const EventRecord& r) {
  WriteText(row + Offset(kEventKey), Events::kEventKeyLength,
            KeyBuffer(r.network, r.device, r.channel, r.sample_number).View());
  WriteText(row + Offset(kChannelKey), Events::kChannelKeyLength,
            KeyBuffer(r.network, r.device, r.channel).View());
  WriteLong(row, kNetwork, r.network);
  WriteLong(row, kDevice, r.device);
  WriteLong(row, kChannel, r.channel);
  WriteLong(row, kSampleNumber, r.sample_number);
  WriteLong(row, kCommand, r.command);
  WriteLong(row, kStartIntensity, r.start_intensity);
  WriteLong(row, kEndIntensity, r.end_intensity);
  WriteLong(row, kLongInterval, r.long_interval);
  WriteLong(row, kShortInterval, r.short_interval);
  for (int32_t s = 0; s <= kMaxSetting; ++s) WriteLong(row, kFirstSetting + s, r.settings[s]);
}

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

// The sort key of a row, from its address columns (they agree with the key text).
using SortKey = std::array<int32_t, 4>;
inline SortKey KeyOf(const uint8_t* row) {
  return {ReadLong(row, kNetwork), ReadLong(row, kDevice), ReadLong(row, kChannel),
          ReadLong(row, kSampleNumber)};
}
inline SortKey KeyOf(const EventRecord& r) {
  return {r.network, r.device, r.channel, r.sample_number};
}

}  // namespace quarnel::dataapi::event_row
