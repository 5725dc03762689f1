// The channel pass: every source channel becomes one channel (an RGB channel three) on
// Network 32, at the address the device remap table gives it.
#include "converter/ConversionError.h"
#include "converter/RecastRun.h"
#include "converter/Reports.h"
#include "platform/base/Utf8.h"

namespace quarnel::converter {

namespace {

constexpr int32_t kRedColour = 255;
constexpr int32_t kGreenColour = 65280;
constexpr int32_t kBlueColour = 16711680;
constexpr int32_t kSingleColourType = 1;

// The name without spaces at either end.
std::u16string Trim(const std::u16string& name) {
  const size_t first = name.find_first_not_of(u' ');
  if (first == std::u16string::npos) return {};
  return name.substr(first, name.find_last_not_of(u' ') - first + 1);
}

}  // namespace

size_t RecastRun::AddressHash::operator()(const Address& a) const {
  uint64_t h = static_cast<uint32_t>(a.network);
  h = h * 0x9E3779B97F4A7C15ull ^ static_cast<uint32_t>(a.device);
  h = h * 0x9E3779B97F4A7C15ull ^ static_cast<uint32_t>(a.channel);
  return static_cast<size_t>(h ^ (h >> 29));
}

void RecastRun::ChannelPass() {
  const int32_t bounds = oOldDLS_->Channels().GetBounds();
  for (int32_t j = 0; j <= bounds; ++j) {
    CheckStop();
    ConvertChannel(j);
  }
}

void RecastRun::ConvertChannel(int32_t j) {
  LibraryChannels& from = oOldDLS_->Channels();
  const std::u16string name = from.Name(j);
  if (from.Channel(j) < 1) {
    // A label row: copied by name only (the reserved address refuses it when taken).
    if (oNewDLS_->Channels().Add(0, 0, 0, name, insert_position_) >= 0) ++insert_position_;
    return;
  }
  SourceChannel source;
  source.network = from.Network(j);
  source.device = from.Device(j);
  source.channel = from.Channel(j);
  source.device_type = from.DeviceType(j);
  source.green_device = from.Setting(j, 16);
  source.blue_device = from.Setting(j, 17);
  source.green_channel = from.Setting(j, 18);
  source.blue_channel = from.Setting(j, 19);

  const std::optional<ChannelPlan> plan = PlanChannel(source);
  if (!plan) {
    observer_.Warning("Channel \"" + Utf16ToUtf8(name) + "\" (network " +
                      std::to_string(source.network) + ", device " + std::to_string(source.device) +
                      ", channel " + std::to_string(source.channel) +
                      ") uses an address outside the device remap table (networks 0 to 32, "
                      "devices 0 to 240) and is left out, with its events.");
    return;
  }
  remaps_.AssignDevices(plan->assign, plan->half);
  RgbData dmx = plan->elements;
  remaps_.RemapAddresses(dmx);

  const int32_t n = source.network;
  if (dmx.type_rgb) {
    const std::u16string trimmed = Trim(name);
    // For free RGB channels the report names the element addresses of settings 16 to 19;
    // pixel channels have none there and name the outputs their elements use.
    const bool pixel = source.device_type == kPixelRgbType;
    const RgbData& elements = plan->elements;
    CreateDMXChannel(trimmed + u" (Red)", dmx.r_device, dmx.r_channel, kRedColour, source.device,
                     source.channel, n);
    CreateDMXChannel(trimmed + u" (Green)", dmx.g_device, dmx.g_channel, kGreenColour,
                     pixel ? elements.g_device : source.green_device,
                     pixel ? elements.g_channel : source.green_channel, n);
    CreateDMXChannel(trimmed + u" (Blue)", dmx.b_device, dmx.b_channel, kBlueColour,
                     pixel ? elements.b_device : source.blue_device,
                     pixel ? elements.b_channel : source.blue_channel, n);
  } else {
    CreateDMXChannel(name, dmx.r_device, dmx.r_channel, from.Color(j), source.device,
                     source.channel, n);
  }
  MappedChannel mapped{dmx, writer_->Slot(dmx.r_device, dmx.r_channel),
                       writer_->Slot(dmx.g_device, dmx.g_channel),
                       writer_->Slot(dmx.b_device, dmx.b_channel)};
  channel_map_.emplace(Address{source.network, source.device, source.channel}, mapped);
}

void RecastRun::CreateDMXChannel(const std::u16string& name, int32_t device, int32_t channel,
                                 int32_t colour, int32_t source_device, int32_t source_channel,
                                 int32_t source_network) {
  Status("Creating Channel " + Utf16ToUtf8(name), -1);
  LibraryChannels& to = oNewDLS_->Channels();
  const int32_t idx = to.Add(DeviceRemaps::kDmxNetwork, device, channel, name, insert_position_);
  if (idx < 0) {
    const std::string address = "D: " + std::to_string(device) + " C: " + std::to_string(channel);
    if (to.Find(DeviceRemaps::kDmxNetwork, device, channel) >= 0) {
      throw ConversionError("Error: Duplicate Channel " + address + "\nThe device remap table " +
                            remaps_.TableFile().string() + " gives \"" + Utf16ToUtf8(name) +
                            "\" the DMX address of a channel made before it.");
    }
    if (to.FindName(name) >= 0) {
      throw ConversionError("Error: Duplicate Channel Name \"" + Utf16ToUtf8(name) + "\" (" +
                            address + ")");
    }
    throw ConversionError("Error: Channel " + address + " cannot be added to the new sequence.");
  }
  to.SetColor(idx, colour);
  to.SetDeviceType(idx, kSingleColourType);
  result_.channel_lines.push_back(
      ChannelLine(name, source_network, source_device, source_channel, device, channel));
  ++insert_position_;
}

}  // namespace quarnel::converter
