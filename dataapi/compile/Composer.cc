#include "dataapi/compile/Composer.h"

#include "dataapi/compile/ColourParts.h"
#include "dataapi/compile/CompiledRows.h"
#include "dataapi/compile/ComposeProgress.h"
#include "dataapi/compile/RefreshPoints.h"
#include "platform/fs/FileErrors.h"
#include "platform/fs/ReplacingFile.h"

#include <algorithm>
#include <span>
#include <string>
#include <system_error>

namespace quarnel::dataapi::compile {
namespace {

constexpr char kSource[] = "File.Compose";

// Adds scratch events to the document's events with AutoRefresh off, then switches it on
// and rebuilds the bookmark once.
void AddScratchEvents(Events& events, const std::vector<EventRecord>& scratch,
                      ProgressTracker& progress, ComposeHost& host) {
  host.SetAutoRefresh(false);
  ReportScratchProgress(scratch.size(), progress);
  events.AddMany(scratch);
  host.SetAutoRefresh(true);
  host.RefreshBookmark();
}

}  // namespace

void WriteComposedFile(const std::filesystem::path& path,
                       const std::vector<CompiledRecord>& records) {
  try {
    platform::ReplacingFile out(path);
    // In slices, so that a whole show never needs a second copy of its records.
    constexpr size_t kSlice = 4096;
    for (size_t i = 0; i < records.size(); i += kSlice) {
      const size_t n = std::min(kSlice, records.size() - i);
      out.Write(WriteCompiledBlock(std::span(records).subspan(i, n)));
    }
    out.Commit();
  } catch (const std::system_error& e) {
    throw platform::FileAccessError(kSource, path, e.code().message());
  }
}

void Compose(ComposeJob job, ComposeHost& host) {
  ProgressTracker progress([&host](double percent) { host.Progress(percent); });

  host.StatusChange(kStatusCompiling);

  // Colour parts of the events on RGB channels, one sample after their events.
  host.StatusChange(kStatusRgb);
  host.Progress(0);
  progress.SetLast(0);
  std::vector<EventRecord> parts = ColourParts(job.events, job.channels, progress);
  AddScratchEvents(job.events, ShiftedParts(parts), progress, host);
  parts = {};

  // Refresh points of channels left dark.
  host.StatusChange(kStatusRefreshPoints);
  host.Progress(0);
  AddScratchEvents(job.events, RefreshPoints(job.events, job.channels, job.length, progress),
                   progress, host);

  // The working rows, then the records merged by channel.
  host.StatusChange(kStatusCreating);
  host.Progress(0);
  progress.SetLast(0);
  std::vector<WorkingRow> rows = WorkingRows(job.events, progress);
  job.compiled.clear();

  host.StatusChange(kStatusBitmask);
  host.Progress(0);
  job.compiled = MergeChannels(std::move(rows));

  // The hand-over file, then the document's events as they were.
  host.StatusChange(kStatusCompleting);
  host.Progress(0);
  WriteComposedFile(job.composed_path, job.compiled);
  host.SetAutoRefresh(false);
  job.events.RemoveIf([](const EventRecord& e) { return e.command < 0; });

  host.StatusChange(kStatusBookmarks);
  host.Progress(0);
  host.SetAutoRefresh(true);
  host.RefreshBookmark();
  host.ComposeComplete();
}

}  // namespace quarnel::dataapi::compile
