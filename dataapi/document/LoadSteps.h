// The steps of File::Load, each on its own: reading the main table of a sequence file,
// then filling the collections from the workspace caches. Each raises the recordset's or
// the file system's error, with the table and field named, and leaves in the document
// whatever it had set before failing.
#pragma once

#include "dataapi/File.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel::dataapi {

inline constexpr char kLoadSource[] = "File.Load";

// The byte images a sequence file carries, and the settings count.
struct SequenceImages {
  int32_t extensions = 0;
  std::string timeline;  // field "events"
  std::string channels;
  std::string data;
  std::string tools;    // field "toolconfig"
  std::string history;  // field "toolhistory"
  std::string drawing;  // field "vectorgraphics"; empty when absent
};

// Opens the sequence file, puts its stored values into the document and takes its
// byte images.
SequenceImages ReadMainTable(File& doc, const std::filesystem::path& path,
                             std::u16string_view file_name, FileType file_type);

// Adds the timeline marks of a byte image to the document's Timeline.
void LoadTimelineMarks(File& doc, std::string_view image);
// The address of a channel row as the saved channel table holds it.
struct SavedChannel {
  int32_t network = 0;
  int32_t device = 0;
  int32_t channel = 0;
};

// Adds the channel rows of a saved channel table to the document's Channels, and gives
// the address of every row in table order, added or not.
std::vector<SavedChannel> LoadChannelTable(File& doc, const std::filesystem::path& path);
// Adds the drawing rows of a saved drawing table to the document's DrawObjects. A row
// names its channel by its place in the saved channel table, `saved`.
void LoadDrawingTable(File& doc, const std::filesystem::path& path,
                      const std::vector<SavedChannel>& saved);
// Raises ToolInitialize (or HistoryInitialize) for each row of a saved tool table.
void LoadToolTable(File& doc, const std::filesystem::path& path, int32_t extensions, bool history);

}  // namespace quarnel::dataapi
