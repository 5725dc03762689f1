// The D2XX calls the DMX output server makes to drive an FTDI USB serial converter, by
// the names and with the arguments and statuses of the vendor's driver library (0 is
// success, see D2xxTypes.h), over one back end chosen at run time (BackendFactory.h).
//
// Beyond passing calls through, the layer keeps two promises that a plain driver does
// not: FT_SetBreakOn waits (bounded) until the previous frame has left the chip, and a
// device that is unplugged and plugged back in is reopened and set up again by itself
// (DeviceSession.h). When a device is there but cannot be opened, the layer says once,
// through the reporter, why and what to do.
//
// A D2xx owns its back end and every device opened through it; devices still open when
// it is destroyed are closed. One thread; no call may be made from inside another.
#pragma once

#include "platform/ftdi/D2xxTypes.h"
#include "platform/ftdi/DeviceSession.h"
#include "platform/ftdi/FtdiBackend.h"
#include "platform/ftdi/LineClock.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <vector>

namespace quarnel::ftdi {

class D2xx {
 public:
  D2xx(std::unique_ptr<FtdiBackend> backend, LineClock& clock, FtdiReporter report);
  ~D2xx();
  D2xx(const D2xx&) = delete;
  D2xx& operator=(const D2xx&) = delete;

  // Listing. With kFtListNumberOnly: the number of attached devices into *count.
  FT_STATUS FT_ListDevices(uint32_t* count, std::nullptr_t no_buffer, uint32_t flags);
  // With kFtListByIndex | kFtOpenBySerialNumber (or kFtOpenByDescription): the serial
  // number (description) of the device at `index` as NUL-terminated text. `text` must
  // hold at least kFtMinTextBuffer bytes; it is all zeros when the call fails.
  FT_STATUS FT_ListDevices(uint32_t index, std::span<char> text, uint32_t flags);

  // Opening and closing. `index` counts the devices of the latest listing.
  FT_STATUS FT_Open(int32_t index, FT_HANDLE* handle);
  FT_STATUS FT_Close(FT_HANDLE handle);

  // Line set-up.
  FT_STATUS FT_ResetDevice(FT_HANDLE handle);
  FT_STATUS FT_SetDivisor(FT_HANDLE handle, uint16_t divisor);
  FT_STATUS FT_SetDataCharacteristics(FT_HANDLE handle, uint8_t word_length, uint8_t stop_bits,
                                      uint8_t parity);
  FT_STATUS FT_SetFlowControl(FT_HANDLE handle, uint16_t flow_control, uint8_t xon, uint8_t xoff);
  FT_STATUS FT_ClrRts(FT_HANDLE handle);
  FT_STATUS FT_Purge(FT_HANDLE handle, uint32_t mask);

  // Output.
  FT_STATUS FT_SetBreakOn(FT_HANDLE handle);
  FT_STATUS FT_SetBreakOff(FT_HANDLE handle);
  FT_STATUS FT_Write(FT_HANDLE handle, const uint8_t* buffer, uint32_t count, uint32_t* written);

  // The FT_STATUS for a back end's outcome.
  static FT_STATUS StatusFor(const FtdiResult& result);

 private:
  DeviceSession* Find(FT_HANDLE handle);
  void ReportOpenFailure(const FtdiDeviceInfo& device, const FtdiResult& result);

  std::unique_ptr<FtdiBackend> backend_;
  LineClock& clock_;
  FtdiReporter report_;
  std::vector<FtdiDeviceInfo> listed_;
  bool listed_once_ = false;
  std::map<FT_HANDLE, std::unique_ptr<DeviceSession>> open_;
  FT_HANDLE next_handle_ = 1;
  bool open_failure_reported_ = false;
};

}  // namespace quarnel::ftdi
