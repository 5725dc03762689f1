// The errors of converting values and text: an argument out of range and a value that
// cannot be converted. They keep the numbers and descriptions the recordset reports them
// with (platform/recordset/RecordsetErrors.h), and take the member that raised them as
// their source and an optional detail that is added to the description.
#pragma once

#include "platform/base/Error.h"

#include <cstdint>
#include <string>

namespace quarnel::conversion_errors {

inline constexpr int32_t kInvalidArgument = 3001;
inline constexpr int32_t kDataConversion = 3421;

Error InvalidArgument(std::string source, const std::string& detail = {});
Error DataConversion(std::string source, const std::string& detail = {});

}  // namespace quarnel::conversion_errors
