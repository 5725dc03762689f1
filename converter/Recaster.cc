#include "converter/Recaster.h"

#include "converter/ConversionError.h"
#include "converter/RecastRun.h"
#include "converter/SequenceNames.h"
#include "platform/base/Utf8.h"

#include <system_error>

namespace quarnel::converter {

namespace {

constexpr double kNewVersion = 1.2;

// A sink that shows a document's status texts and percentages through the observer.
Ref<dataapi::FileEvents> StatusSink(ConversionObserver& observer) {
  auto sink = MakeRef<dataapi::FileEventHandlers>();
  sink->on_status_change = [&observer](std::u16string& text) {
    observer.UpdateStatus(Utf16ToUtf8(text), -1);
  };
  sink->on_progress = [&observer](double& percent) { observer.UpdateStatus("NULL", percent); };
  return sink;
}

}  // namespace

ConversionResult Recast(const ConversionRequest& request, DeviceRemaps& remaps, Rnd& rnd,
                        ConversionObserver& observer) {
  return RecastRun(request, remaps, rnd, observer).Run();
}

RecastRun::RecastRun(const ConversionRequest& request, DeviceRemaps& remaps, Rnd& rnd,
                     ConversionObserver& observer)
    : request_(request), remaps_(remaps), rnd_(rnd), observer_(observer) {
  oOldDLS_ = dataapi::File::Create();
  oNewDLS_ = dataapi::File::Create();
  old_cookie_ = oOldDLS_->Advise(StatusSink(observer_));
  new_cookie_ = oNewDLS_->Advise(StatusSink(observer_));
  if (request_.bulk) {
    writer_ = std::make_unique<BulkEventWriter>(oNewDLS_->Events());
  } else {
    writer_ = std::make_unique<DirectEventWriter>(oNewDLS_->Events());
  }
}

RecastRun::~RecastRun() {
  oOldDLS_->Unadvise(old_cookie_);
  oNewDLS_->Unadvise(new_cookie_);
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
  oOldDLS_->Load(source.u16string(), dataapi::FileTypeDLS);
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
  oNewDLS_->Bookmark()->Refresh(oNewDLS_->Channels(), oNewDLS_->Events());
  oNewDLS_->SetAutoRefresh(true);
  CheckStop();

  observer_.PhaseStarted(ConversionPhase::kSave);
  Status("Saving Sequence", -1);
  oNewDLS_->Save(new_name_.u16string(), dataapi::FileTypeDLS);

  observer_.PhaseStarted(ConversionPhase::kDone);
  result_.events_created = oNewDLS_->Events()->GetBounds() + 1;
  Status("Done: " + std::to_string(result_.events_created) + " events created.", 100);
  return std::move(result_);
}

void RecastRun::SetUpNewFile() {
  dataapi::File& from = *oOldDLS_;
  dataapi::File& to = *oNewDLS_;
  to.SetAlternateMediaFile(from.AlternateMediaFile());
  to.SetAuthor(from.Author());
  to.SetAVFile(from.AVFile());
  to.SetEditCount(from.EditCount());
  to.SetHeight(from.Height());
  to.SetImageBrightness(from.ImageBrightness());
  to.SetLeft(from.Left());
  to.SetLength(from.Length());
  to.SetPicture(from.Picture());
  to.SetTitle(from.Title());
  to.SetTop(from.Top());
  to.SetWidth(from.Width());
  to.SetAutoRefresh(false);
  to.SetName(new_name_.u16string());
  to.SetVersion(kNewVersion);
  // The same Timeline object, not a copy.
  to.SetTimeline(from.Timeline());
}

}  // namespace quarnel::converter
