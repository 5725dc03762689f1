#include "platform/component/Registration.h"

#include "platform/component/ResultCode.h"

namespace quarnel::platform {

namespace {
constexpr int32_t kResultFalse = 1;  // S_FALSE
}  // namespace

RegistrationOutcome OutcomeOfEntry(const std::string& file, const char* entry_name, int32_t code) {
  if (code < 0) return {code, file + ": " + entry_name + " failed: " + ResultText(code), {}};
  if (code == kResultFalse && std::string_view(entry_name) == "DllRegisterServer") {
    return {kResultOk,
            {},
            "registered for the current user only: the machine's classes "
            "could not be written"};
  }
  return {};
}

}  // namespace quarnel::platform
