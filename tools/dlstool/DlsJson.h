// A loaded sequence document and compiled playback records as JSON, written as it goes:
// a sequence may hold millions of events, too many to build as one JSON value first.
#pragma once

#include "dataapi/CompiledRecord.h"
#include "dataapi/File.h"

#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel::dlstool {

// One ToolInitialize or HistoryInitialize as the load raised it.
struct ToolEntry {
  int32_t tool_id = 0;
  int32_t start_intensity = 0;
  int32_t end_intensity = 0;
  std::vector<int32_t> parameters;
};

struct LoadedSequence {
  Ref<dataapi::File> doc;
  std::vector<ToolEntry> tools;
  std::vector<ToolEntry> history;
  std::vector<dataapi::CompiledRecord> compiled;  // the file's data field
};

// One JSON object: the stored values, Channels, Events, DrawObjects (null when the
// document has none), Timeline, Tools, History and Compiled.
void WriteSequenceJson(std::ostream& out, const LoadedSequence& sequence);
// A JSON array of records, each an object named after the record's fields.
void WriteRecordsJson(std::ostream& out, std::span<const dataapi::CompiledRecord> records);

// UTF-8 of document text (unpaired surrogates become U+FFFD).
std::string Utf8(std::u16string_view text);

}  // namespace quarnel::dlstool
