// One device opened through the D2XX layer: the port, the settings made on it, and the
// two things the layer does beyond passing calls through.
//
// - A break waits until the previous frame has left the transmitter (LineTracker.h).
// - A break lasts at least kBreakHold and the mark after it at least kMarkAfterBreakHold,
//   both measured on the monotonic clock from the return of one call to the start of
//   the next, so the line holds them however fast the device answers (DMX512 asks for
//   at least 88 and 8 microseconds).
// - When the device goes away (unplugged), the session closes it and, at most once a
//   second while calls keep coming, looks for the same serial number again, reopens it
//   and makes the same settings again; output resumes without a restart. One line is
//   reported when the device goes and one when output resumes, never one per call.
//
// The session is owned by the D2XX layer and lives from FT_Open to FT_Close.
#pragma once

#include "platform/ftdi/FtdiBackend.h"
#include "platform/ftdi/LineClock.h"
#include "platform/ftdi/LineTracker.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace quarnel::ftdi {

// Receives the layer's one-line messages for people (the programs print them on stderr).
using FtdiReporter = std::function<void(const std::string& line)>;

class DeviceSession {
 public:
  using Nanos = LineClock::Nanos;

  static constexpr Nanos kReopenInterval = std::chrono::seconds(1);
  // Failed calls in a row after which a device that still answers is reopened anyway.
  static constexpr int kFailuresBeforeReopen = 8;
  // How often the transmitter is asked whether it is empty while a break waits.
  static constexpr Nanos kDrainPoll = std::chrono::microseconds(500);
  // The shortest break, and the shortest mark between the break and the first byte.
  static constexpr Nanos kBreakHold = std::chrono::microseconds(110);
  static constexpr Nanos kMarkAfterBreakHold = std::chrono::microseconds(16);

  DeviceSession(FtdiBackend& backend, LineClock& clock, const FtdiReporter& report,
                FtdiDeviceInfo device, std::unique_ptr<FtdiPort> port);

  FtdiResult Reset();
  FtdiResult SetDivisor(uint16_t divisor);
  FtdiResult SetDataCharacteristics(const LineSettings& line);
  FtdiResult SetFlowControl(uint16_t flow, uint8_t xon, uint8_t xoff);
  FtdiResult ClearRts();
  FtdiResult Purge(uint32_t mask);
  FtdiResult SetBreak(bool on);
  FtdiResult Write(std::span<const uint8_t> bytes);

  bool Connected() const { return port_ != nullptr; }
  const FtdiDeviceInfo& Device() const { return device_; }

  // The baud rate a divisor of the 3 MHz clock gives (0 and 1 are the chip's special cases).
  static uint32_t BaudForDivisor(uint16_t divisor);

 private:
  struct Flow {
    uint16_t flow;
    uint8_t xon;
    uint8_t xoff;
  };

  // Runs `call` on the port: reconnects first when the device is lost, and notes failures.
  template <typename Call>
  FtdiResult Run(Call&& call);
  void NoteFailure(const FtdiResult& result);
  void MarkLost(const std::string& why);
  bool TryReopen();
  FtdiResult Configure(FtdiPort& port) const;
  void WaitForLineToDrain();
  // Returns at `until` or later (at once when it has passed).
  void HoldUntil(Nanos until);
  std::string Name() const;

  FtdiBackend& backend_;
  LineClock& clock_;
  const FtdiReporter& report_;
  FtdiDeviceInfo device_;
  std::unique_ptr<FtdiPort> port_;

  // Settings made through the layer, made again after a reopen.
  std::optional<uint16_t> divisor_;
  std::optional<LineSettings> line_set_;
  LineSettings line_;
  std::optional<Flow> flow_;
  bool rts_cleared_ = false;

  LineTracker tracker_;
  // When the line went into the break, and when it came out of it, while the break or
  // the mark after it still holds.
  std::optional<Nanos> break_began_;
  std::optional<Nanos> mark_began_;
  int failures_in_row_ = 0;
  bool outage_reported_ = false;
  Nanos last_reopen_try_{0};
};

}  // namespace quarnel::ftdi
