// Real FTDI devices through libftdi1 (the only file that speaks to libftdi).
//
// Lists the attached devices of FTDI's vendor id whose product ids are those of the
// FT232R/FT245R, FT2232 (both of its ports, serial numbers ending in A and B, as the
// vendor's driver shows them) and FT232H families, and opens exactly the device chosen:
// opening detaches the kernel's serial driver from that device only and gives it back
// on close, so other FTDI serial ports on the machine keep working. USB requests time
// out after kUsbTimeoutMs, so an interface that hangs cannot stall the caller for long.
#pragma once

#include "platform/ftdi/FtdiBackend.h"

namespace quarnel::ftdi {

class LibFtdiBackend : public FtdiBackend {
 public:
  static constexpr int kVendorId = 0x0403;
  static constexpr int kUsbTimeoutMs = 100;

  FtdiList List() override;
  FtdiOpen Open(const FtdiDeviceInfo& device, uint32_t index) override;
};

}  // namespace quarnel::ftdi
