// The data files the web server reads from its own folder at start-up: the serial
// number of the Open DMX USB interface in "ftdinets.dat", and the page "template.htm".
// Neither file is created or changed here.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quarnel::webdiag {

constexpr char kSerialFile[] = "ftdinets.dat";
constexpr char kTemplateFile[] = "template.htm";

// Where the serial number lies in ftdinets.dat: 16 bytes from byte 320 (offset 319).
constexpr uint64_t kSerialOffset = 319;
constexpr uint64_t kSerialLength = 16;

struct SerialNumber {
  enum class Outcome {
    kFound,       // `serial` holds it
    kMissing,     // no such file
    kUnreadable,  // the file exists but cannot be read (`error` says why)
    kTooShort,    // the file ends before byte 320
    kEmpty,       // only NULs and spaces there
  };
  Outcome outcome = Outcome::kMissing;
  std::string serial;
  uint64_t file_size = 0;
  std::string error;
};

// The serial number as the file holds it: NUL characters removed, spaces trimmed.
std::string CleanSerial(std::string_view field);

// Reads the serial number from `file`. A file that ends inside the field gives what is
// there.
SerialNumber ReadSerialNumber(const std::filesystem::path& file);

// One sentence on why a serial number was not found, naming the file.
std::string DescribeMissingSerial(const SerialNumber& read, const std::filesystem::path& file);

// The whole content of `file`; nullopt with `error` set when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file, std::string& error);

}  // namespace quarnel::webdiag
