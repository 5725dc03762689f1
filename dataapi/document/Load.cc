// Load: a sequence file into the document, through the workspace caches.
#include "dataapi/document/FileArguments.h"
#include "dataapi/document/LoadSteps.h"
#include "dataapi/document/Workspace.h"
#include "platform/recordset/RecordsetErrors.h"

#include <optional>
#include <string>
#include <utility>

namespace quarnel::dataapi {
void File::Load(std::u16string_view file_name, FileType file_type) {
  CheckFileType(file_type, kLoadSource);
  const Workspace workspace(kLoadSource);
  Ref<File> keep(this);  // a handler may let go of the document while it loads

  std::u16string opening = u"Opening File: ";
  opening += file_name;
  RaiseStatusChange(opening);
  const std::optional<std::filesystem::path> path = PathFromName(file_name);
  if (!path) throw recordset_errors::OpeningFile(kLoadSource, "the file name is not valid text");
  const SequenceImages images = ReadMainTable(*this, *path, file_name, file_type);
  // Playback records and backup rows are whole 40-byte records; a damaged block is refused
  // before anything reaches the workspace or the player.
  std::vector<CompiledRecord> records = ReadCompiledBlock(
      images.data, "the playback data (field \"data\" of the sequence file)", kLoadSource);

  workspace.WriteCache(Workspace::kTimelineCache, images.timeline);
  workspace.WriteCache(Workspace::kChannelCache, images.channels);
  workspace.WriteCache(Workspace::kDataCache, images.data);
  if (file_type != FileTypeFastDLS) {
    workspace.WriteCache(Workspace::kToolCache, images.tools);
    workspace.WriteCache(Workspace::kHistoryCache, images.history);
    if (!images.drawing.empty()) workspace.WriteCache(Workspace::kDrawingCache, images.drawing);
  }

  SetChannels(dataapi::Channels::Create());
  SetDrawObjects(dataapi::DrawObjects::Create());
  SetEvents(dataapi::Events::Create());
  SetTimeline(dataapi::Timeline::Create());

  RaiseStatusChange(u"Opening Table: Timeline");
  LoadTimelineMarks(*this, images.timeline);

  RaiseStatusChange(u"Opening Table: Channels");
  const std::vector<SavedChannel> saved_channels =
      LoadChannelTable(*this, workspace.PathOf(Workspace::kChannelCache));

  if (file_type == FileTypeFastDLS) {
    SetDrawObjects(nullptr);
  } else {
    RaiseStatusChange(u"Opening Table: Vector Graphics");
    if (!images.drawing.empty()) {
      LoadDrawingTable(*this, workspace.PathOf(Workspace::kDrawingCache), saved_channels);
    }
    RaiseStatusChange(u"Opening Table: Tool Settings");
    LoadToolTable(*this, workspace.PathOf(Workspace::kToolCache), images.extensions, false);
    RaiseStatusChange(u"Opening Table: History");
    LoadToolTable(*this, workspace.PathOf(Workspace::kHistoryCache), images.extensions, true);
  }

  RaiseStatusChange(u"Opening Table: Events");
  if (file_type == FileTypeBAK) {
    // The rows are the events themselves; the player's data is not touched.
    backup_data_ = std::move(records);
    RecordsToEvents();
    std::vector<CompiledRecord>().swap(backup_data_);
    return;
  }
  // "composed.tmp" receives a copy of "dtcache.tmp": the loaded document's playback data.
  workspace.WriteCache(Workspace::kComposed, images.data);
  RaiseComposeComplete();
  if (file_type == FileTypeDLS) {
    compiled_data_ = std::move(records);
    Decompose();
    std::vector<CompiledRecord>().swap(compiled_data_);
  }
}

}  // namespace quarnel::dataapi
