// The one error type of the project.
//
// A failure that the system numbers (the runtime errors 6, 7, 9, 11, 13 and 91, the socket
// object's 40006 to 40026, the platform's socket error numbers, the recordset errors,
// file access, the file formats, a failed call to the operating system) travels as an
// Error: its number, its description and its source, the member that
// raised it ("UniSock.GetData", "DataTable.InsertRows"). Library members throw it;
// the binary interface layer turns it into a status with error information, and
// programs print it in words.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace quarnel {

class Error : public std::exception {
 public:
  Error(int32_t number, std::string description, std::string source);

  int32_t Number() const noexcept { return number_; }
  const std::string& Description() const noexcept { return description_; }
  const std::string& Source() const noexcept { return source_; }

  // "Source: Description (error Number)", for people.
  const char* what() const noexcept override { return message_.c_str(); }

  // The numbered runtime errors, with their usual descriptions.
  static constexpr int32_t kOverflow = 6;
  static constexpr int32_t kOutOfMemory = 7;
  static constexpr int32_t kSubscriptOutOfRange = 9;
  static constexpr int32_t kDivisionByZero = 11;
  static constexpr int32_t kTypeMismatch = 13;
  // A member used through a reference that holds no object.
  static constexpr int32_t kObjectNotSet = 91;

  static Error Overflow(std::string source);
  static Error OutOfMemory(std::string source);
  static Error SubscriptOutOfRange(std::string source);
  static Error DivisionByZero(std::string source);
  static Error TypeMismatch(std::string source);
  static Error ObjectNotSet(std::string source);
  // A call to the operating system that failed with the system's error code `code`
  // (errno): the number is the code, the description `what` could not be done and why.
  static Error SystemCall(std::string source, const std::string& what, int code);

 private:
  int32_t number_;
  std::string description_;
  std::string source_;
  std::string message_;
};

}  // namespace quarnel
