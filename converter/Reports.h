// modReporting: the Device Report and the Channels Report, as plain text.
//
// A device line tells which DMX device (and first channel, 1 or 9 for an upper half) a
// source device drives; a channel line tells where one converted channel went. Fields
// are padded on the right with spaces or cut to their widths; devices appear in upper-case
// hexadecimal and in decimal. The report text ends every line with CR LF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel::converter {

// AddDeviceLine's line for source (network, device) on DMX device `dmx_device` from
// `first_channel`.
std::string DeviceLine(int32_t network, int32_t device, int32_t dmx_device, int32_t first_channel);

// AddChannelLine's line for the channel `name` at source (network, device, channel), now at
// DMX (dmx_device, dmx_channel) on Network 32.
std::string ChannelLine(std::u16string_view name, int32_t network, int32_t device, int32_t channel,
                        int32_t dmx_device, int32_t dmx_channel);

// The text of the report window: headings, the device lines, the channel lines.
std::string ReportText(const std::vector<std::string>& device_lines,
                       const std::vector<std::string>& channel_lines);

}  // namespace quarnel::converter
