// The system side of ResultFromErrorCode: a failure code straight from one of the
// system's own error numbers (std::system_category), where they are the family's numbers.
#pragma once

#include <cstdint>
#include <optional>

namespace quarnel::platform {

// nullopt: map the number by the cause it stands for.
std::optional<int32_t> ResultFromSystemNumber(int number);

}  // namespace quarnel::platform
