// Chooses the D2XX layer's back end from the environment:
//
//   QUARNEL_FTDI            unset: real hardware, through the system's driver
//                           (HardwareBackend.h).
//                           "sim:SERIAL[,SERIAL...]": these simulated devices are
//                           attached, in that order; "sim:" attaches none.
//   QUARNEL_FTDI_CAPTURE    a file to which the simulated devices append every call.
//   QUARNEL_FTDI_SIM_FAST   "1": simulated writes take no time.
//
// A setting that cannot be used, or a driver that is missing, is reported in words, and
// the layer then has no device at all (it never falls back to real hardware by mistake).
#pragma once

#include "platform/ftdi/D2xx.h"
#include "platform/ftdi/FtdiBackend.h"
#include "platform/ftdi/LineClock.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel::ftdi {

struct FtdiSetting {
  enum class Kind { kHardware, kSimulated, kInvalid };
  Kind kind = Kind::kHardware;
  std::vector<std::string> serials;  // kSimulated
  std::string error;                 // kInvalid: what is wrong, for people
};

// The value of QUARNEL_FTDI (null when unset). Serial numbers are 1 to 63 printable
// characters without spaces or commas.
FtdiSetting ParseFtdiSetting(const char* value);

struct FtdiEnvironment {
  const char* ftdi = nullptr;      // QUARNEL_FTDI
  const char* capture = nullptr;   // QUARNEL_FTDI_CAPTURE
  const char* sim_fast = nullptr;  // QUARNEL_FTDI_SIM_FAST

  static FtdiEnvironment FromProcess();
};

std::unique_ptr<FtdiBackend> MakeBackend(const FtdiEnvironment& env, LineClock& clock,
                                         const FtdiReporter& report);

// The layer over the back end the process environment asks for.
std::unique_ptr<D2xx> MakeD2xx(LineClock& clock, FtdiReporter report);

}  // namespace quarnel::ftdi
