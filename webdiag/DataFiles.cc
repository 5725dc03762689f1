#include "webdiag/DataFiles.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

namespace quarnel::webdiag {

std::string CleanSerial(std::string_view field) {
  std::string serial;
  for (char c : field) {
    if (c != '\0') serial.push_back(c);
  }
  const size_t first = serial.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  const size_t last = serial.find_last_not_of(' ');
  return serial.substr(first, last - first + 1);
}

SerialNumber ReadSerialNumber(const std::filesystem::path& file) {
  SerialNumber read;
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) {
    read.outcome = SerialNumber::Outcome::kMissing;
    return read;
  }
  std::ifstream in(file, std::ios::binary);
  const uint64_t size = std::filesystem::file_size(file, ec);
  if (!in || ec) {
    read.outcome = SerialNumber::Outcome::kUnreadable;
    read.error = ec ? ec.message() : std::strerror(errno);
    return read;
  }
  read.file_size = size;
  if (size <= kSerialOffset) {
    read.outcome = SerialNumber::Outcome::kTooShort;
    return read;
  }
  std::string field(kSerialLength, '\0');
  in.seekg(static_cast<std::streamoff>(kSerialOffset));
  in.read(field.data(), static_cast<std::streamsize>(field.size()));
  field.resize(static_cast<size_t>(in.gcount()));
  read.serial = CleanSerial(field);
  read.outcome =
      read.serial.empty() ? SerialNumber::Outcome::kEmpty : SerialNumber::Outcome::kFound;
  return read;
}

std::string DescribeMissingSerial(const SerialNumber& read, const std::filesystem::path& file) {
  const std::string name = file.string();
  switch (read.outcome) {
    case SerialNumber::Outcome::kFound:
      return name + " names the interface " + read.serial + ".";
    case SerialNumber::Outcome::kMissing:
      return name + " is missing, so the serial number of the Open DMX USB interface is unknown.";
    case SerialNumber::Outcome::kUnreadable:
      return name + " cannot be read (" + read.error + ").";
    case SerialNumber::Outcome::kTooShort:
      return name + " is " + std::to_string(read.file_size) +
             " bytes long and ends before the serial number, which lies at bytes 320 to 335.";
    case SerialNumber::Outcome::kEmpty:
      return name + " holds no serial number at bytes 320 to 335.";
  }
  return name;
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& file, std::string& error) {
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) {
    error = "it is a folder";
    return std::nullopt;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    error = std::strerror(errno);
    return std::nullopt;
  }
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    error = "read error";
    return std::nullopt;
  }
  return content;
}

}  // namespace quarnel::webdiag
