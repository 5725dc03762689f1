// From events to compiled playback records: the sorted working rows, then the bitmask
// compression that merges rows alike but for their channel.
//
// Every event becomes one working row: its fields, ramp intervals where its command
// fades (the intervals of its length, the samples to its channel's next event), and for
// a fade shorter than 15,000 samples the short-fade command (10034 or -10034) followed
// by up to three steady -33 step rows that back the fade with fixed levels. The rows are
// ordered by sample, address, command, levels, intervals and setting, then channel, and
// runs of rows that differ only in their channel are merged into one record whose
// channel mask names channels 1 to 16 of them.
#pragma once

#include "dataapi/CompiledRecord.h"
#include "dataapi/Events.h"
#include "dataapi/compile/ComposeProgress.h"

#include <array>
#include <cstdint>
#include <vector>

namespace quarnel::dataapi::compile {

inline constexpr int32_t kShortFadeLimit = 15000;
inline constexpr int32_t kShortFadeOffset = 10000;
inline constexpr int32_t kFirstStepAfter = 1;
inline constexpr int32_t kSecondStepAfter = 3840;
inline constexpr int32_t kThirdStepAfter = 7680;

// One row of the working table, its fields in the order the rows are sorted by.
struct WorkingRow {
  enum Field {
    kSample,
    kNetwork,
    kDevice,
    kCommand,
    kStart,
    kEnd,
    kShort,
    kLong,
    kSetting0,
    kChannel,
    kFieldCount
  };
  std::array<int32_t, kFieldCount> f{};
  friend bool operator<(const WorkingRow& a, const WorkingRow& b) { return a.f < b.f; }
};

// The row of one event of the given length, with its intervals and short-fade command.
WorkingRow RowOfEvent(const EventRecord& e, int32_t event_length);

// Appends the step rows of a short fade row (one whose command is beyond +-10,000) of
// the given length. Steps that would lie past the last sample are left out.
void AppendStepRows(const WorkingRow& fade, int32_t event_length, std::vector<WorkingRow>& rows);

// The working rows of all events, in event order with each fade's steps behind it.
// Reports progress every 1000th event as round(i / last index x 99) when it advanced by
// more than 10. Raises 6 when an event's length leaves the 32-bit range.
std::vector<WorkingRow> WorkingRows(const Events& events, ProgressTracker& progress);

// Sorts the rows and merges each run that differs only in its channel into one record.
std::vector<CompiledRecord> MergeChannels(std::vector<WorkingRow> rows);

}  // namespace quarnel::dataapi::compile
