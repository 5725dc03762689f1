// File: one sequence document.
//
// A document holds a few descriptive values (title, author, media names, window
// geometry, length, version) and the five collections that hold the show: Channels,
// Events, DrawObjects, Timeline and Bookmark. It owns one counted reference to each
// collection; a client may take references and may replace any collection (or set it to
// no object) through the Set members, after which the document listens to the new
// object's events and no longer to the old one's. Progress and StatusChange of the held
// collections are forwarded to the document's own sinks (StatusChange of Channels is
// not); a Refresh of Channels or Events rebuilds the Bookmark while AutoRefresh is True.
//
// Load reads a sequence file through the workspace, the folder of cache files shared by
// every document that uses the library from there; Save writes one and Compose compiles
// the events for playback. Errors reach the caller as quarnel::Error and nothing is
// undone: a method that fails half-way leaves what it had already changed.
#pragma once

#include "dataapi/Bookmark.h"
#include "dataapi/Channels.h"
#include "dataapi/CollectionEvents.h"
#include "dataapi/CompiledRecord.h"
#include "dataapi/DrawObjects.h"
#include "dataapi/Events.h"
#include "dataapi/FileEvents.h"
#include "dataapi/Identity.h"
#include "dataapi/Timeline.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel::dataapi {

// What Load reads and Save writes.
enum FileType : int32_t {
  FileTypeDLS = 0,      // full sequence file: events come back by decompiling
  FileTypeFastDLS = 1,  // playback load: timeline and channels only
  FileTypeBAK = 2,      // workspace backup: events stored one per row, with the name
};

// The folder of the workspace cache files: QUARNEL_WORKSPACE when set, otherwise the
// folder that holds the library's own file when it may be written, otherwise "quarnel"
// in the user's $XDG_STATE_HOME (by default ~/.local/state).
std::filesystem::path WorkspaceFolder();

class File : public RefCounted {
 public:
  static constexpr const Guid& kClsid = kClsidFile;
  static constexpr const Guid& kIid = kIidFile;
  static constexpr int32_t kDefaultImageBrightness = 100;

  // A new document: fresh collections (Channels holding only its reserved channel),
  // ImageBrightness 100, AutoRefresh True, every other value zero or empty.
  static Ref<File> Create();
  ~File() override;

  // --- Stored values; puts store the value as given and raise nothing.
  const std::u16string& Name() const { return name_; }
  void SetName(std::u16string_view value) { name_ = value; }
  const std::u16string& Title() const { return title_; }
  void SetTitle(std::u16string_view value) { title_ = value; }
  const std::u16string& Author() const { return author_; }
  void SetAuthor(std::u16string_view value) { author_ = value; }
  const std::u16string& AVFile() const { return av_file_; }
  void SetAVFile(std::u16string_view value) { av_file_ = value; }
  const std::u16string& Picture() const { return picture_; }
  void SetPicture(std::u16string_view value) { picture_ = value; }
  int32_t Width() const { return width_; }
  void SetWidth(int32_t value) { width_ = value; }
  int32_t Height() const { return height_; }
  void SetHeight(int32_t value) { height_ = value; }
  int32_t Top() const { return top_; }
  void SetTop(int32_t value) { top_ = value; }
  int32_t Left() const { return left_; }
  void SetLeft(int32_t value) { left_ = value; }
  double Version() const { return version_; }
  void SetVersion(double value) { version_ = value; }
  int32_t EditCount() const { return edit_count_; }
  void SetEditCount(int32_t value) { edit_count_ = value; }
  // The end of the show in samples.
  int32_t Length() const { return length_; }
  void SetLength(int32_t value) { length_ = value; }
  const std::u16string& AlternateMediaFile() const { return alternate_media_file_; }
  void SetAlternateMediaFile(std::u16string_view value) { alternate_media_file_ = value; }
  int32_t ImageBrightness() const { return image_brightness_; }
  void SetImageBrightness(int32_t value) { image_brightness_ = value; }
  // While True, every Refresh of Channels or Events rebuilds the Bookmark.
  bool AutoRefresh() const { return auto_refresh_; }
  void SetAutoRefresh(bool value) { auto_refresh_ = value; }

  // --- Collections, each get and set-by-reference; any may be set to no object.
  Ref<dataapi::Bookmark> Bookmark() const { return bookmark_; }
  void SetBookmark(Ref<dataapi::Bookmark> value) { bookmark_ = std::move(value); }
  Ref<dataapi::DrawObjects> DrawObjects() const { return draw_objects_.object; }
  void SetDrawObjects(Ref<dataapi::DrawObjects> value);
  Ref<dataapi::Events> Events() const { return events_.object; }
  void SetEvents(Ref<dataapi::Events> value);
  Ref<dataapi::Timeline> Timeline() const { return timeline_.object; }
  void SetTimeline(Ref<dataapi::Timeline> value);
  Ref<dataapi::Channels> Channels() const { return channels_.object; }
  void SetChannels(Ref<dataapi::Channels> value);

  // --- Methods.

  // A new document with independent copies of the four collections, a bookmark rebuilt
  // from them and the same stored values; the compiled and backup data are not copied.
  // Raises 91 when a collection is no object.
  Ref<File> Clone() const;
  // Reads a sequence file into this document, replacing its collections (the Bookmark
  // object is kept). Holds the workspace lock for the whole call.
  void Load(std::u16string_view file_name, FileType file_type);
  // Writes the document to a sequence file. Holds the workspace lock.
  void Save(std::u16string_view file_name, FileType file_type);
  // Compiles the events for playback into "composed.tmp" and raises ComposeComplete.
  // Holds the workspace lock.
  void Compose();

  // --- Events.
  uint32_t Advise(Ref<FileEvents> sink) { return sinks_.Advise(std::move(sink)); }
  bool Unadvise(uint32_t cookie) { return sinks_.Unadvise(cookie); }

  // --- The library's own document operations; not on the binary interface.

  // Compiled playback data (Compose fills it, Load fills it before decompiling) and
  // backup rows (one event per record, the channel in the mask's place).
  std::vector<CompiledRecord>& CompiledData() { return compiled_data_; }
  std::vector<CompiledRecord>& BackupData() { return backup_data_; }

  // Turns CompiledData back into events, replacing those of Events in one bulk step.
  void Decompose();
  // Loads the rows of BackupData as the events, then rebuilds the Bookmark.
  void RecordsToEvents();

  // Rebuilds the Bookmark from Channels and Events when AutoRefresh is True (no
  // Bookmark: nothing happens). While a RefreshBatch lives the rebuild waits for its end.
  void RefreshBookmark();
  class RefreshBatch {
   public:
    explicit RefreshBatch(File& file);
    ~RefreshBatch();
    RefreshBatch(const RefreshBatch&) = delete;
    RefreshBatch& operator=(const RefreshBatch&) = delete;

   private:
    Ref<File> file_;
  };

  // Raising the document's events. The reference forms hand the caller's variable to
  // the handlers, as a forwarded event passes on its argument.
  void RaiseStatusChange(std::u16string& status_text);
  void RaiseStatusChange(std::u16string_view status_text);
  void RaiseProgress(double& percent);
  void RaiseProgressValue(double percent) { RaiseProgress(percent); }
  void RaiseComposeComplete();
  void RaiseToolInitialize(int32_t tool_id, int32_t start_intensity, int32_t end_intensity,
                           std::vector<int32_t>& parameters);
  void RaiseHistoryInitialize(int32_t tool_id, int32_t start_intensity, int32_t end_intensity,
                              std::vector<int32_t>& parameters);

 private:
  friend Ref<File> MakeRef<File>();
  File();

  // One held collection with the sink the document listens through.
  template <class Collection, class Sink>
  struct Held {
    Ref<Collection> object;
    Ref<Sink> sink;
    uint32_t cookie = 0;
  };
  template <class Collection, class Sink>
  static void Hold(Held<Collection, Sink>& held, Ref<Collection> value);

  std::u16string name_, title_, author_, av_file_, picture_, alternate_media_file_;
  int32_t width_ = 0, height_ = 0, top_ = 0, left_ = 0;
  double version_ = 0;
  int32_t edit_count_ = 0, length_ = 0;
  int32_t image_brightness_ = kDefaultImageBrightness;
  bool auto_refresh_ = true;

  Ref<dataapi::Bookmark> bookmark_;
  Held<dataapi::Channels, ChannelsEvents> channels_;
  Held<dataapi::DrawObjects, DrawObjectsEvents> draw_objects_;
  Held<dataapi::Events, EventsEvents> events_;
  Held<dataapi::Timeline, TimelineEvents> timeline_;

  std::vector<CompiledRecord> compiled_data_;
  std::vector<CompiledRecord> backup_data_;

  int32_t refresh_batches_ = 0;
  bool refresh_waiting_ = false;

  EventSource<FileEvents> sinks_;
};

}  // namespace quarnel::dataapi
