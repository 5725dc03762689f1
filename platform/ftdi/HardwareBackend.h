// The back end for real interfaces on this system: libftdi1 on Linux, the vendor's D2XX
// driver library on Windows (D2xxLibraryBackend_win.h). BackendFactory.h takes it when
// QUARNEL_FTDI is unset.
#pragma once

#include "platform/ftdi/FtdiBackend.h"

#include <memory>
#include <string>

namespace quarnel::ftdi {

struct HardwareBackend {
  std::unique_ptr<FtdiBackend> backend;  // null when the system's driver cannot be used
  std::string error;                     // then why not, and what to do, in words
};

HardwareBackend MakeHardwareBackend();

}  // namespace quarnel::ftdi
