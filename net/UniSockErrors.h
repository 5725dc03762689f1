// The numbers and texts of the socket object's errors.
//
// Invalid calls raise 40006 to 40026; network failures carry Windows Sockets numbers.
// Both take their descriptions from one table; a number outside it has an empty one.
#pragma once

#include "platform/base/Error.h"

#include <cstdint>
#include <string>

namespace quarnel::net {

constexpr int32_t kErrWrongProtocolOrState = 40006;  // "Wrong protocol or connection state..."
constexpr int32_t kErrBadArgument = 40014;           // "The argument passed to a function..."
constexpr int32_t kErrSuccessful = 40017;
constexpr int32_t kErrUnsupportedType = 40018;  // "Unsupported variant types."
constexpr int32_t kErrInvalidState = 40020;     // "Invalid operation at current state."
constexpr int32_t kErrOutOfRange = 40021;
constexpr int32_t kErrWrongProtocol = 40026;

// The description of an error number; empty when the table has none.
std::string ErrorDescription(int32_t number);
// The error a member raises: its number, its description and "UniSock.<member>".
Error UniSockError(int32_t number, const std::string& member);

}  // namespace quarnel::net
