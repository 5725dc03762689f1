// The texts people and the environment hand the DMX tools: the simulated-interface
// setting (QUARNEL_FTDI) and dmxsend's channel levels. Anything in, a clear answer out,
// nothing outside the levels touched.
#include "platform/ftdi/BackendFactory.h"
#include "tools/dmxsend/Datagrams.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string c_text = text.substr(0, text.find('\0'));
  const quarnel::ftdi::FtdiSetting s = quarnel::ftdi::ParseFtdiSetting(c_text.c_str());
  using Kind = quarnel::ftdi::FtdiSetting::Kind;
  if (s.kind == Kind::kInvalid && s.error.empty()) std::abort();
  for (const std::string& serial : s.serials) {
    if (serial.empty() || serial.size() > 63 || serial.find(',') != std::string::npos) std::abort();
  }

  quarnel::dmxsend::Levels levels{};
  std::string error;
  if (!quarnel::dmxsend::ApplyLevel(text, levels, error) && error.empty()) std::abort();
  return 0;
}
