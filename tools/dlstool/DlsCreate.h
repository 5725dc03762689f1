// A new sequence document from the JSON that "dlstool dump" prints.
//
// The JSON object may hold the stored values (Name, Title, Author, AVFile, Picture,
// Width, Height, Top, Left, Version, EditCount, Length, AlternateMediaFile,
// ImageBrightness), Channels (which replace the new document's list, in order, each with
// its DeviceType, Color and Settings), Events with all their fields, DrawObjects and
// Timeline. Values left out keep a new document's defaults; members the document does
// not hold (Tools, History, Compiled) are ignored. Anything the document or its
// collections refuse is an error that names the entry: its position in the JSON and
// what it is.
#pragma once

#include "dataapi/File.h"

#include <stdexcept>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace quarnel::dlstool {

// What is wrong with the JSON, naming where: "Events[12] (1,2,3 at sample 4410): ...".
class CreateError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Builds the document. Raises CreateError for JSON that does not describe one, and the
// library's errors for failures of the collections.
Ref<dataapi::File> DocumentFromJson(const nlohmann::json& sequence);

// Reads and parses a JSON file and builds the document from it. Raises CreateError for a
// file that is not JSON (with where it went wrong), the library's 75 for one that cannot
// be read.
Ref<dataapi::File> DocumentFromJsonFile(const std::string& path);

// Document text from UTF-8; raises CreateError naming `where` for malformed UTF-8.
std::u16string Utf16(std::string_view utf8, const std::string& where);

}  // namespace quarnel::dlstool
