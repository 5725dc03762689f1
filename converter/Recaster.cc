#include "converter/Recaster.h"

#include "converter/ConversionError.h"
#include "converter/RecastRun.h"
#include "converter/SequenceNames.h"
#include "platform/base/Utf8.h"

#include <system_error>

namespace quarnel::converter {

namespace {

constexpr double kNewVersion = 1.2;

// oOldDLS_StatusChange and the rest: a document's status texts and percentages shown
// through the observer.
LibraryFileEvents StatusHandlers(ConversionObserver& observer) {
  return {[&observer](const std::u16string& text) { observer.UpdateStatus(Utf16ToUtf8(text), -1); },
          [&observer](double percent) { observer.UpdateStatus("NULL", percent); }};
}

}  // namespace

ConversionResult Recast(const ConversionRequest& request, DataLibrary& library,
                        DeviceRemaps& remaps, Rnd& rnd, ConversionObserver& observer) {
  return RecastRun(request, library, remaps, rnd, observer).Run();
}

RecastRun::RecastRun(const ConversionRequest& request, DataLibrary& library, DeviceRemaps& remaps,
                     Rnd& rnd, ConversionObserver& observer)
    : request_(request),
      remaps_(remaps),
      rnd_(rnd),
      observer_(observer),
      oOldDLS_(library.NewFile(StatusHandlers(observer))),
      oNewDLS_(library.NewFile(StatusHandlers(observer))) {
  if (request_.bulk) {
    writer_ = std::make_unique<BulkEventWriter>(oNewDLS_->Events());
  } else {
    writer_ = std::make_unique<DirectEventWriter>(oNewDLS_->Events());
  }
}

void RecastRun::CheckStop() const {
  if (observer_.StopRequested()) throw ConversionError("The conversion was stopped.");
}

ConversionResult RecastRun::Run() {
  const std::filesystem::path& source = request_.source;
  std::optional<std::filesystem::path> new_name = DmxSequenceName(source);
  if (!new_name) {
    throw ConversionError(source.string() +
                          " is not a sequence file: its name does not end in \".dls\".");
  }
  std::error_code ec;
  if (std::filesystem::equivalent(source, *new_name, ec)) {
    throw ConversionError(new_name->string() + " is the source itself; it is not written over.");
  }
  new_name_ = *new_name;
  result_.new_name = new_name_;

  Status("Loading Device Remap Table");
  remaps_.LoadRemapTable();
  CheckStop();

  observer_.PhaseStarted(ConversionPhase::kLoad);
  Status("Opening File " + source.string());
  oOldDLS_->Load(source);
  CheckStop();

  Status("Setting Up New File " + new_name_.string(), -1);
  SetUpNewFile();

  observer_.PhaseStarted(ConversionPhase::kChannelPass);
  ChannelPass();
  observer_.PhaseStarted(ConversionPhase::kEventPass);
  EventPass();
  CheckStop();

  observer_.PhaseStarted(ConversionPhase::kBookmark);
  Status("Bookmarking", -1);
  oNewDLS_->RefreshBookmark();
  oNewDLS_->SetAutoRefresh(true);
  CheckStop();

  observer_.PhaseStarted(ConversionPhase::kSave);
  Status("Saving Sequence", -1);
  oNewDLS_->Save(new_name_);

  observer_.PhaseStarted(ConversionPhase::kDone);
  result_.events_created = oNewDLS_->Events().GetBounds() + 1;
  Status("Done: " + std::to_string(result_.events_created) + " events created.", 100);
  return std::move(result_);
}

void RecastRun::SetUpNewFile() {
  LibraryFile& to = *oNewDLS_;
  to.SetStored(oOldDLS_->Stored());
  to.SetAutoRefresh(false);
  to.SetName(new_name_.u16string());
  to.SetVersion(kNewVersion);
  // The same Timeline object, not a copy.
  to.ShareTimelineOf(*oOldDLS_);
}

}  // namespace quarnel::converter
