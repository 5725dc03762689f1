#include "platform/ftdi/BackendFactory.h"

#include "platform/ftdi/CaptureWriter.h"
#include "platform/ftdi/D2xxTypes.h"
#include "platform/ftdi/HardwareBackend.h"
#include "platform/ftdi/SimulatedBackend.h"

#include <cstdlib>
#include <cstring>

namespace quarnel::ftdi {

namespace {

FtdiSetting Invalid(std::string why) {
  FtdiSetting s;
  s.kind = FtdiSetting::Kind::kInvalid;
  s.error = std::move(why);
  return s;
}

}  // namespace

FtdiSetting ParseFtdiSetting(const char* value) {
  if (value == nullptr) return {};
  const std::string_view text(value);
  constexpr std::string_view kPrefix = "sim:";
  if (text.substr(0, kPrefix.size()) != kPrefix) {
    return Invalid("QUARNEL_FTDI must be sim:SERIAL[,SERIAL...] or unset, not \"" +
                   std::string(text.substr(0, 80)) + "\"");
  }
  FtdiSetting s;
  s.kind = FtdiSetting::Kind::kSimulated;
  std::string_view rest = text.substr(kPrefix.size());
  if (rest.empty()) return s;
  while (true) {
    const size_t comma = rest.find(',');
    const std::string_view serial = rest.substr(0, comma);
    if (serial.empty() || serial.size() >= kFtMinTextBuffer) {
      return Invalid("QUARNEL_FTDI: every serial number must have 1 to " +
                     std::to_string(kFtMinTextBuffer - 1) + " characters");
    }
    for (char c : serial) {
      if (c <= ' ' || c > '~') {
        return Invalid("QUARNEL_FTDI: serial numbers may not contain spaces or control characters");
      }
    }
    s.serials.emplace_back(serial);
    if (comma == std::string_view::npos) break;
    rest = rest.substr(comma + 1);
  }
  return s;
}

FtdiEnvironment FtdiEnvironment::FromProcess() {
  return {std::getenv("QUARNEL_FTDI"), std::getenv("QUARNEL_FTDI_CAPTURE"),
          std::getenv("QUARNEL_FTDI_SIM_FAST")};
}

std::unique_ptr<FtdiBackend> MakeBackend(const FtdiEnvironment& env, LineClock& clock,
                                         const FtdiReporter& report) {
  FtdiSetting setting = ParseFtdiSetting(env.ftdi);
  switch (setting.kind) {
    case FtdiSetting::Kind::kHardware: {
      HardwareBackend hardware = MakeHardwareBackend();
      if (hardware.backend) return std::move(hardware.backend);
      report(hardware.error + ". Running without DMX output.");
      return std::make_unique<SimulatedBackend>(std::vector<std::string>{}, clock, nullptr);
    }
    case FtdiSetting::Kind::kInvalid:
      report(setting.error + "; running without an interface");
      return std::make_unique<SimulatedBackend>(std::vector<std::string>{}, clock, nullptr);
    case FtdiSetting::Kind::kSimulated:
      break;
  }
  std::unique_ptr<CaptureWriter> capture;
  if (env.capture != nullptr && *env.capture != '\0') {
    capture = std::make_unique<CaptureWriter>(env.capture, clock);
    if (!capture->Ok()) {
      report("cannot write the capture file " + std::string(env.capture) + ": " + capture->Error() +
             "; the simulated interface runs without it");
      capture.reset();
    }
  }
  SimulatedOptions options;
  options.line_timing = !(env.sim_fast != nullptr && std::strcmp(env.sim_fast, "1") == 0);
  return std::make_unique<SimulatedBackend>(setting.serials, clock, std::move(capture), options);
}

std::unique_ptr<D2xx> MakeD2xx(LineClock& clock, FtdiReporter report) {
  std::unique_ptr<FtdiBackend> backend = MakeBackend(FtdiEnvironment::FromProcess(), clock, report);
  return std::make_unique<D2xx>(std::move(backend), clock, std::move(report));
}

}  // namespace quarnel::ftdi
