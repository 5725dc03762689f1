#include "converter/Reports.h"

#include "platform/base/Utf8.h"

#include <cstdio>

namespace quarnel::converter {

namespace {

// `text` padded on the right with spaces, or cut, to `width` characters.
std::string Field(std::string text, size_t width) {
  text.resize(width, ' ');
  return text;
}

std::string Dec(int64_t value, size_t width) { return Field(std::to_string(value), width); }

// Upper-case hexadecimal of the 32-bit value (negative numbers as their two's complement).
std::string Hex(int32_t value, size_t width) {
  char text[9];
  std::snprintf(text, sizeof text, "%X", static_cast<uint32_t>(value));
  return Field(text, width);
}

// The name cut or padded to `width` characters, never splitting a character.
std::string Name(std::u16string_view name, size_t width) {
  size_t units = 0, characters = 0;
  while (units < name.size() && characters < width) {
    const bool pair = units + 1 < name.size() && (name[units] & 0xFC00) == 0xD800 &&
                      (name[units + 1] & 0xFC00) == 0xDC00;
    units += pair ? 2 : 1;
    ++characters;
  }
  return Utf16ToUtf8(name.substr(0, units)) + std::string(width - characters, ' ');
}

int64_t DmxAddress(int32_t dmx_device, int32_t channel) {
  return (int64_t{dmx_device} - 1) * 16 + channel;
}

constexpr char kCrLf[] = "\r\n";
constexpr char kColumns[] = " NET DEV (dec) CHAN   ";
constexpr char kRules[] = " --- --------- ----   ";

}  // namespace

std::string DeviceLine(int32_t network, int32_t device, int32_t dmx_device, int32_t first_channel) {
  return Dec(network, 4) + Hex(device, 4) + "(" + Dec(device, 3) + ") " + Field("1", 8) + "32  " +
         Hex(dmx_device, 4) + "(" + Dec(dmx_device, 3) + ") " + Dec(first_channel, 8) +
         std::to_string(DmxAddress(dmx_device, first_channel));
}

std::string ChannelLine(std::u16string_view name, int32_t network, int32_t device, int32_t channel,
                        int32_t dmx_device, int32_t dmx_channel) {
  return Name(name, 33) + Dec(network, 4) + Hex(device, 4) + "(" + Dec(device, 3) + ") " +
         Dec(channel, 5) + "   " + "32  " + Hex(dmx_device, 4) + "(" + Dec(dmx_device, 3) + ") " +
         Dec(dmx_channel, 5) + "   " + std::to_string(DmxAddress(dmx_device, dmx_channel));
}

std::string ReportText(const std::vector<std::string>& device_lines,
                       const std::vector<std::string>& channel_lines) {
  std::string text;
  auto line = [&text](const std::string& s) { text += s + kCrLf; };
  line("Device Report");
  line("");
  line(Field("Original", 22) + Field("New", 19) + "   DMX");
  line(std::string("NET DEV (dec) CHAN   ") + kColumns + " Addr");
  line(std::string("--- --------- ----   ") + " --- --- ----------   " + " ----");
  for (const std::string& l : device_lines) line(l);
  line("");
  line("");
  line("Channels Report");
  line(Field("", 33) + Field("Original", 22) + Field("New", 19) + "   DMX");
  line(Field("Channel Name", 32) + kColumns + kColumns + " Addr");
  line(Field("------------", 32) + kRules + kRules + " ----");
  line("");
  for (const std::string& l : channel_lines) line(l);
  return text;
}

}  // namespace quarnel::converter
