#include "platform/base/Error.h"

#include <cstring>
#include <utility>

namespace quarnel {

Error::Error(int32_t number, std::string description, std::string source)
    : number_(number), description_(std::move(description)), source_(std::move(source)) {
  message_ = source_.empty() ? description_ : source_ + ": " + description_;
  message_ += " (error " + std::to_string(number_) + ")";
}

Error Error::Overflow(std::string source) {
  return Error(kOverflow, "Overflow", std::move(source));
}

Error Error::OutOfMemory(std::string source) {
  return Error(kOutOfMemory, "Out of memory", std::move(source));
}

Error Error::SubscriptOutOfRange(std::string source) {
  return Error(kSubscriptOutOfRange, "Subscript out of range", std::move(source));
}

Error Error::DivisionByZero(std::string source) {
  return Error(kDivisionByZero, "Division by zero", std::move(source));
}

Error Error::TypeMismatch(std::string source) {
  return Error(kTypeMismatch, "Type mismatch", std::move(source));
}

Error Error::ObjectNotSet(std::string source) {
  return Error(kObjectNotSet, "Object variable or With block variable not set", std::move(source));
}

Error Error::SystemCall(std::string source, const std::string& what, int code) {
  return Error(code, what + " (" + std::strerror(code) + ")", std::move(source));
}

}  // namespace quarnel
