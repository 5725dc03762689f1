// The errors of the recordset, with the numbers and descriptions callers of the recordset
// library know. Each takes the member that raised it as its source and an optional detail
// (a field name, a byte offset and what was expected) that is added to the description,
// so that a person reading the message learns what went wrong and where.
#pragma once

#include "platform/base/ConversionErrors.h"
#include "platform/base/Error.h"

#include <cstdint>
#include <string>

namespace quarnel::recordset_errors {

inline constexpr int32_t kInvalidUseOfNull = 94;
using conversion_errors::kInvalidArgument;
inline constexpr int32_t kOpeningFile = 3002;
inline constexpr int32_t kReadFile = 3003;
inline constexpr int32_t kWriteFile = 3004;
inline constexpr int32_t kNoCurrentRecord = 3021;
inline constexpr int32_t kIllegalOperation = 3219;
inline constexpr int32_t kItemNotFound = 3265;
inline constexpr int32_t kObjectInCollection = 3367;
using conversion_errors::kDataConversion;
inline constexpr int32_t kObjectClosed = 3704;
inline constexpr int32_t kObjectOpen = 3705;
inline constexpr int32_t kDataOverflow = 3721;

Error InvalidUseOfNull(std::string source);
using conversion_errors::InvalidArgument;
Error OpeningFile(std::string source, const std::string& detail = {});
Error ReadFile(std::string source, const std::string& detail = {});
Error WriteFile(std::string source, const std::string& detail = {});
Error NoCurrentRecord(std::string source);
Error IllegalOperation(std::string source, const std::string& detail = {});
Error ItemNotFound(std::string source, const std::string& detail = {});
Error ObjectInCollection(std::string source, const std::string& detail = {});
using conversion_errors::DataConversion;
Error ObjectClosed(std::string source);
Error ObjectOpen(std::string source);
Error DataOverflow(std::string source, const std::string& detail = {});

}  // namespace quarnel::recordset_errors
