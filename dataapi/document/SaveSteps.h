// The steps of File::Save, each on its own: the empty tables a sequence file carries,
// the cache images made from the document's collections, the version fields and the
// one-row main table. Errors are the recordset's, the file system's (75) or 91 for a
// collection that is no object, and name what failed.
#pragma once

#include "dataapi/CompiledRecord.h"
#include "dataapi/File.h"
#include "platform/base/Error.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace quarnel {
class Recordset;
}

namespace quarnel::dataapi {

inline constexpr char kSaveSource[] = "File.Save";

// --- Empty tables, open and ready for rows.

// Command, StartIntensity, EndIntensity, Caption, Setting0..Setting<max_setting>.
std::unique_ptr<Recordset> MakeToolTable(int32_t max_setting);
// name, devicetype, deviceid, channel, com, color, startindex, endindex, 0..255.
std::unique_ptr<Recordset> MakeChannelTable();
// Channel, Style, X1, Y1, X2, Y2, ArcStart, ArcEnd, Radius, Aspect.
std::unique_ptr<Recordset> MakeDrawingTable();

// The byte images of the main table, by field.
struct SavedImages {
  std::string tools;     // toolconfig
  std::string history;   // toolhistory
  std::string timeline;  // events
  std::string channels;
  std::string drawing;  // vectorgraphics
  std::string data;
};
// The 22 fields of a sequence file's main table; each image field has the length of
// its image as its defined size.
std::unique_ptr<Recordset> MakeMainTable(const SavedImages& images);

// --- Collections to cache files.

// One row per channel of the list, in list order, saved to path.
void SaveChannelTable(File& doc, const std::filesystem::path& path);
// One row per drawing object whose address is a channel of the list, saved to path.
void SaveDrawingTable(File& doc, const std::filesystem::path& path);
// The timeline marks as 32-bit little-endian integers, in timeline order.
std::string TimelineImage(File& doc);

// One backup row per event: the event's fields with its channel in the mask's place,
// ramp intervals worked out afresh for fades (34), 0 for every other command.
std::vector<CompiledRecord> EventsToRecords(const Events& events);

// --- The main table.

// Version as the two fields that store it: the whole part, and the digits of the
// fraction as printed with up to 15 significant digits (2.5 gives 2 and 5, 3.12 gives
// 3 and 12, 4 gives 4 and 0). Raises 6 when either does not fit 32 bits (2.01, whose
// fraction prints as 0.00999999999999979).
struct VersionFields {
  int32_t major;
  int32_t minor;
};
VersionFields SplitVersion(double version);

// Fills the one row of a main table made by MakeMainTable from the document and the
// images. `stored_name` goes into the field "name".
void FillMainTable(Recordset& rs, const File& doc, std::u16string_view stored_name,
                   const SavedImages& images);

// Whether the path is an existing file (not a folder); any error asking gives false.
bool FileExists(const std::filesystem::path& path) noexcept;
// The whole content of a cache file, or "" when it does not exist.
std::string ReadCacheText(const std::filesystem::path& path);

}  // namespace quarnel::dataapi
