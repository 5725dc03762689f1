// The refresh points of dark channels (compiling, after the colour parts).
//
// Walking the show from sample 8,820 to its Length in steps of 2,940 samples, the
// channels of the list take turns (list index 1, 2, ... and round again; the reserved
// channel at index 0 is never visited). When the visited channel's event in force began
// more than 88,200 samples before the position and its next event lies more than
// 176,400 samples after it, a channel left dark is sent its state again: a level event
// (33 or -33) at level 240 gives a -33 event with the same levels, a black colour event
// (38 from 0 to 0 with setting 0 of 0) gives a -40 event.
#pragma once

#include "dataapi/Channels.h"
#include "dataapi/Events.h"
#include "dataapi/compile/ComposeProgress.h"

#include <cstdint>
#include <vector>

namespace quarnel::dataapi::compile {

inline constexpr int32_t kFirstRefreshPoint = 8820;
inline constexpr int32_t kRefreshStep = 2940;
inline constexpr int32_t kDarkBefore = 88200;
inline constexpr int32_t kDarkAfter = 176400;

// The refresh events, in ascending key order, read from the events as they stand.
// Reports progress floor(pos / length x 50) at each position where that is a multiple
// of 10 other than the last value raised.
std::vector<EventRecord> RefreshPoints(const Events& events, const Channels& channels,
                                       int32_t length, ProgressTracker& progress);

}  // namespace quarnel::dataapi::compile
