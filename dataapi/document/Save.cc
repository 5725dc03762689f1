// Save: the document to a sequence file, through the workspace caches.
#include "dataapi/document/FileArguments.h"
#include "dataapi/document/SaveSteps.h"
#include "dataapi/document/Workspace.h"
#include "platform/base/PathText.h"
#include "platform/fs/FileErrors.h"
#include "platform/fs/WholeFile.h"
#include "platform/recordset/Recordset.h"
#include "platform/recordset/RecordsetErrors.h"

#include <optional>
#include <string>

namespace quarnel::dataapi {
namespace {

// Saves an empty tool table where none is cached; an existing one is left as it is.
void EnsureToolTable(const std::filesystem::path& path, int32_t max_setting) {
  if (FileExists(path)) return;
  MakeToolTable(max_setting)->Save(path, PersistFormatEnum::adPersistADTG);
}

// Replaces one workspace file by a copy of another.
void CopyCache(const Workspace& workspace, std::string_view from, std::string_view to) {
  const std::filesystem::path source = workspace.PathOf(from);
  const std::filesystem::path target = workspace.PathOf(to);
  platform::DeleteFileQuietly(target);
  std::error_code ec;
  std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing, ec);
  if (ec) {
    throw platform::FileAccessError(
        kSaveSource, source,
        "it could not be copied to " + platform::Utf8FromPath(target) + ": " + ec.message());
  }
}

}  // namespace

void File::Save(std::u16string_view file_name, FileType file_type) {
  CheckFileType(file_type, kSaveSource);
  const Workspace workspace(kSaveSource);
  Ref<File> keep(this);  // a handler may let go of the document while it saves
  const std::optional<std::filesystem::path> path = PathFromName(file_name);
  if (!path) throw recordset_errors::WriteFile(kSaveSource, "the file name is not valid text");
  const std::filesystem::path& target = *path;
  // The name given is kept as given: the stored name and the status text use it.
  const std::u16string name_given(file_name);

  std::u16string status = file_type == FileTypeBAK ? std::u16string(u"Backing Up Workspace")
                                                   : u"Saving File " + name_given;
  RaiseStatusChange(status);

  // The playback data: the events themselves for a backup, else the compiled records.
  if (file_type == FileTypeBAK) {
    Ref<dataapi::Events> events = Events();
    if (!events) throw Error::ObjectNotSet(kSaveSource);
    backup_data_ = EventsToRecords(*events);
    workspace.WriteCache(Workspace::kDataCache, WriteCompiledBlock(backup_data_));
  } else {
    Compose();
    CopyCache(workspace, Workspace::kComposed, Workspace::kDataCache);
  }
  RaiseStatusChange(status);

  const Ref<dataapi::Events> events = Events();
  if (!events) throw Error::ObjectNotSet(kSaveSource);
  EnsureToolTable(workspace.PathOf(Workspace::kToolCache), events->MaxSetting());
  EnsureToolTable(workspace.PathOf(Workspace::kHistoryCache), events->MaxSetting());
  SaveChannelTable(*this, workspace.PathOf(Workspace::kChannelCache));
  SaveDrawingTable(*this, workspace.PathOf(Workspace::kDrawingCache));
  workspace.WriteCache(Workspace::kTimelineCache, TimelineImage(*this));

  SavedImages images;
  images.tools = ReadCacheText(workspace.PathOf(Workspace::kToolCache));
  images.history = ReadCacheText(workspace.PathOf(Workspace::kHistoryCache));
  images.channels = ReadCacheText(workspace.PathOf(Workspace::kChannelCache));
  images.data = ReadCacheText(workspace.PathOf(Workspace::kDataCache));
  images.timeline = ReadCacheText(workspace.PathOf(Workspace::kTimelineCache));
  images.drawing = ReadCacheText(workspace.PathOf(Workspace::kDrawingCache));

  std::unique_ptr<Recordset> main = MakeMainTable(images);
  FillMainTable(*main, *this, file_type == FileTypeBAK ? name_ : name_given, images);
  // Written beside the target and renamed over it only when complete: a save that fails
  // leaves the file that was there before as it was.
  main->Save(target, PersistFormatEnum::adPersistADTG);
}

}  // namespace quarnel::dataapi
