// Composer: compiles a document's events into playback records, phase by phase.
//
// The document (File) hands over its collections, its Length and a host through which
// the composer raises the document's events and switches its AutoRefresh. The composer
// adds the colour parts and refresh points to the document's own events (one bulk merge
// each), builds the compiled records from all events, fills CompiledData, writes
// "composed.tmp", removes every event with a negative command again (one bulk pass),
// refreshes the bookmark and raises ComposeComplete. Clients see the status texts and
// progress values in their documented order.
//
// Nothing is trapped: an error ends the run where it happens and leaves what was done.
#pragma once

#include "dataapi/Channels.h"
#include "dataapi/CompiledRecord.h"
#include "dataapi/Events.h"

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace quarnel::dataapi::compile {

// The status texts, in the order they are raised.
inline constexpr std::u16string_view kStatusCompiling = u"Compiling Data For Playback";
inline constexpr std::u16string_view kStatusRgb = u"Compiling: RGB Data";
inline constexpr std::u16string_view kStatusRefreshPoints = u"Compiling: Refresh Points";
inline constexpr std::u16string_view kStatusCreating = u"Compiling: Creating DLS Data";
inline constexpr std::u16string_view kStatusBitmask = u"Compiling: Bitmask Compression";
inline constexpr std::u16string_view kStatusCompleting = u"Completing Compilation";
inline constexpr std::u16string_view kStatusBookmarks = u"Updating Bookmarks";

// What the composer needs from the document beyond its collections.
class ComposeHost {
 public:
  virtual ~ComposeHost() = default;
  virtual void StatusChange(std::u16string_view text) = 0;
  virtual void Progress(double percent) = 0;
  virtual void SetAutoRefresh(bool value) = 0;
  // Rebuilds the bookmark from the channels and events, whatever AutoRefresh is.
  virtual void RefreshBookmark() = 0;
  virtual void ComposeComplete() = 0;
};

struct ComposeJob {
  Events& events;
  const Channels& channels;
  int32_t length;                         // the end of the show, in samples
  std::vector<CompiledRecord>& compiled;  // the document's CompiledData
  std::filesystem::path composed_path;    // "composed.tmp" in the workspace
};

void Compose(ComposeJob job, ComposeHost& host);

// Writes a block of records to path: written beside it, then renamed over it, so that a
// reader never sees half a block and a failed write leaves the old file. Raises 75.
void WriteComposedFile(const std::filesystem::path& path,
                       const std::vector<CompiledRecord>& records);

}  // namespace quarnel::dataapi::compile
