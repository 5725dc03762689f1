// The module OpenDMX: drives one Open DMX USB interface, an FTDI USB serial converter
// wired straight to a DMX512 line driver, through the D2XX layer. The program makes the
// DMX512 signal itself: 250 000 bit/s, 8 data bits, 2 stop bits, no parity, and per frame
// a break, the start code and 512 slots.
//
// The server calls it at start-up (FindDevice, OpenDevice), on every frame tick
// (SetFrame, SendFrame) and at shut-down (CloseDevice). One interface per process; the
// module refers to the D2XX layer, which must outlive it. Destroying the module closes
// the interface.
#pragma once

#include "dmxserver/DatagramFormat.h"
#include "platform/ftdi/D2xx.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace quarnel::dmx {

class OpenDMX {
 public:
  explicit OpenDMX(ftdi::D2xx& d2xx);
  ~OpenDMX();
  OpenDMX(const OpenDMX&) = delete;
  OpenDMX& operator=(const OpenDMX&) = delete;

  // Chooses DeviceIndex: the first attached device whose serial number equals `serial`
  // exactly; without a match the index stays as it was (0: the first device).
  void FindDevice(const std::string& serial);
  // Opens and sets up the device at DeviceIndex; DeviceOpen only when every step succeeded.
  void OpenDevice();
  // Copies the frame into FrameBuffer.
  void SetFrame(std::span<const uint8_t, kChannelCount> frame);
  // While DeviceOpen: break, start code, the 512 slots of FrameBuffer. Failures are
  // ignored; the next tick sends fresh data.
  void SendFrame();
  // While DeviceOpen: closes the device.
  void CloseDevice();

  // The module's state, for the program and for tests.
  bool DeviceOpen() const { return device_open_; }
  int32_t DeviceIndex() const { return device_index_; }
  const std::string& TargetSerial() const { return target_serial_; }
  const std::string& DeviceDescription() const { return device_description_; }
  const Frame& FrameBuffer() const { return frame_buffer_; }

  // A listed text as the module compares it: NUL characters removed, spaces trimmed.
  static std::string CleanText(std::span<const char> buffer);

 private:
  ftdi::D2xx& d2xx_;
  ftdi::FT_HANDLE device_handle_ = 0;
  bool device_open_ = false;
  int32_t device_index_ = 0;
  std::string target_serial_;
  std::string device_description_;
  Frame frame_buffer_{};
  uint8_t start_code_ = 0;
  uint32_t bytes_written_ = 0;
};

}  // namespace quarnel::dmx
