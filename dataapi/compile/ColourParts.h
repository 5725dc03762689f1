// The colour parts of events on RGB channels (compiling, before anything else).
//
// An RGB channel (DeviceType 12) drives its red part at its own address; its settings 16
// to 19 give the Device of its green and blue parts and their Channel, on the same
// Network. Every event on such a channel becomes three part events, one per colour, at
// the event's own sample: a colour event (38) fades each part between the levels of its
// two colours, any other event holds each part dark (240). The compiler adds the parts to
// the document's events one sample after their source event.
#pragma once

#include "dataapi/Channels.h"
#include "dataapi/Events.h"
#include "dataapi/compile/ComposeProgress.h"

#include <array>
#include <cstdint>
#include <vector>

namespace quarnel::dataapi::compile {

inline constexpr int32_t kRgbDeviceType = 12;
inline constexpr int32_t kGreenDeviceSetting = 16;
inline constexpr int32_t kBlueDeviceSetting = 17;
inline constexpr int32_t kGreenChannelSetting = 18;
inline constexpr int32_t kBlueChannelSetting = 19;

// The levels (1 full to 240 dark) of the red, green and blue components of a colour
// (red in bits 0 to 7, green 8 to 15, blue 16 to 23): component 0 gives 240, 128 gives
// 120, 255 gives 1.
std::array<int32_t, 3> ColourToIntensities(int32_t colour);

// The part of a colour event's setting 0 that selects the part command: -37 when bits 1
// and 2 read 2, -36 when they read 4; otherwise -34 for a fade and -33 for a steady
// level, and bit 0 is not carried.
struct PartCommand {
  int32_t command;
  int32_t flag;  // Setting 0 of the part
};
PartCommand PartCommandFor(int32_t source_setting0, int32_t start_level, int32_t end_level);

// The parts of every event on an RGB channel, each at its source event's sample, in
// ascending key order (address, then sample). Where two parts meet at one address and
// sample the part made first (lower event index, then red, green, blue) is kept; parts
// whose keys do not fit the event table are left out. Reports progress every 500th
// event as round(i / last index x 50) when it advanced by more than 10.
std::vector<EventRecord> ColourParts(const Events& events, const Channels& channels,
                                     ProgressTracker& progress);

// The parts moved one sample after their source event, as they join the document's
// events; a part at the last possible sample has no later sample and is left out.
std::vector<EventRecord> ShiftedParts(const std::vector<EventRecord>& parts);

}  // namespace quarnel::dataapi::compile
