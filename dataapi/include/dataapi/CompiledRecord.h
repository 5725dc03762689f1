// CompiledRecord: the 40-byte playback record, and blocks of them.
//
// A record tells what a set of channels of one device does from one sample on: ten
// signed 32-bit little-endian integers without padding, the event fields with a 16-bit
// channel mask in the place of the channel (bit k names channel k + 1). A block is a
// run of records back to back, with no header, count or terminator; it is how compiled
// data lies in "composed.tmp", in "dtcache.tmp" and in a sequence file's data field.
// A backup row has the same layout with a channel number in the mask's place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel::dataapi {

struct CompiledRecord {
  int32_t sample_number = 0;
  int32_t network = 0;
  int32_t device = 0;
  int32_t channel_mask = 0;  // the channel itself in a backup row
  int32_t command = 0;
  int32_t start_intensity = 0;
  int32_t end_intensity = 0;
  int32_t short_interval = 0;
  int32_t long_interval = 0;
  int32_t setting0 = 0;
  friend bool operator==(const CompiledRecord&, const CompiledRecord&) = default;
};

inline constexpr size_t kCompiledRecordSize = 40;

// Error number of a block whose length is no whole number of records.
inline constexpr int32_t kBadRecordLength = 59;

// --- Blocks.

// The records of a block, in block order. Raises 59 (naming `what`) when the length is
// not a multiple of 40.
std::vector<CompiledRecord> ReadCompiledBlock(std::string_view bytes, std::string_view what,
                                              const char* source);
// The block holding the records in order.
std::string WriteCompiledBlock(std::span<const CompiledRecord> records);

// --- Reading rules: records back to editable events.

// Whether bit `bit` (0 to 15) of the mask is set.
bool IsChannelBitSet(int32_t channel_mask, int32_t bit);

// The editable event that one mask bit of a record stands for.
struct CompiledEvent {
  int32_t channel;
  int32_t command;
};
// The event that bit `bit` of r's mask names: channel bit + 1 with the record's command,
// or for a command below 30 channel bit + 9 with the command + 10; a command above
// 10,000 less 10,000. Nothing when the bit is clear or the command is 0 or negative
// (records made by compiling).
std::optional<CompiledEvent> ReadCompiledEvent(const CompiledRecord& r, int32_t bit);

}  // namespace quarnel::dataapi
