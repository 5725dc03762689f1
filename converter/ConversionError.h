// A conversion that cannot go on, for a reason of the converter's own (a duplicate channel,
// no DMX device left, a source that is no sequence file). Errors of the library travel as
// quarnel::Error instead, with their number.
#pragma once

#include <stdexcept>
#include <string>

namespace quarnel::converter {

class ConversionError : public std::runtime_error {
 public:
  explicit ConversionError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace quarnel::converter
