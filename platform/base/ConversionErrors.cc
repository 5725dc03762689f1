#include "platform/base/ConversionErrors.h"

#include <utility>

namespace quarnel::conversion_errors {
namespace {

Error Make(int32_t number, std::string description, std::string source, const std::string& detail) {
  if (!detail.empty()) description += " (" + detail + ")";
  return Error(number, std::move(description), std::move(source));
}

}  // namespace

Error InvalidArgument(std::string source, const std::string& detail) {
  return Make(kInvalidArgument,
              "Arguments are of the wrong type, are out of acceptable range, or are in "
              "conflict with one another.",
              std::move(source), detail);
}

Error DataConversion(std::string source, const std::string& detail) {
  return Make(kDataConversion,
              "Application uses a value of the wrong type for the current operation.",
              std::move(source), detail);
}

}  // namespace quarnel::conversion_errors
