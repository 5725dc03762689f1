// The document's life, its collections and the forwarding of their events.
#include "dataapi/File.h"

#include "dataapi/document/Forwarder.h"

#include <utility>

namespace quarnel::dataapi {

Ref<File> File::Create() { return MakeRef<File>(); }

File::File() {
  channels_.sink = MakeForwarder<ChannelsEvents>(this);
  draw_objects_.sink = MakeForwarder<DrawObjectsEvents>(this);
  events_.sink = MakeForwarder<EventsEvents>(this);
  timeline_.sink = MakeForwarder<TimelineEvents>(this);
  SetChannels(dataapi::Channels::Create());
  SetDrawObjects(dataapi::DrawObjects::Create());
  SetEvents(dataapi::Events::Create());
  SetTimeline(dataapi::Timeline::Create());
  bookmark_ = dataapi::Bookmark::Create();
}

File::~File() {
  // The sinks forget the document first: nothing may reach it while it ends.
  DetachForwarder(channels_.sink);
  DetachForwarder(draw_objects_.sink);
  DetachForwarder(events_.sink);
  DetachForwarder(timeline_.sink);
  SetChannels(nullptr);
  SetDrawObjects(nullptr);
  SetEvents(nullptr);
  SetTimeline(nullptr);
  bookmark_ = nullptr;
}

template <class Collection, class Sink>
void File::Hold(Held<Collection, Sink>& held, Ref<Collection> value) {
  // The old object goes last, so that a handler it may still be raising finds the
  // document already listening to the new one.
  Ref<Collection> old = std::move(held.object);
  if (old && held.cookie != 0) old->Unadvise(held.cookie);
  held.cookie = 0;
  held.object = std::move(value);
  if (held.object) held.cookie = held.object->Advise(held.sink);
}

void File::SetChannels(Ref<dataapi::Channels> value) { Hold(channels_, std::move(value)); }
void File::SetDrawObjects(Ref<dataapi::DrawObjects> value) {
  Hold(draw_objects_, std::move(value));
}
void File::SetEvents(Ref<dataapi::Events> value) { Hold(events_, std::move(value)); }
void File::SetTimeline(Ref<dataapi::Timeline> value) { Hold(timeline_, std::move(value)); }

void File::RefreshBookmark() {
  if (refresh_batches_ > 0) {
    refresh_waiting_ = true;
    return;
  }
  if (!auto_refresh_ || !bookmark_) return;
  Ref<dataapi::Bookmark> bookmark = bookmark_;
  bookmark->Refresh(channels_.object, events_.object);
}

File::RefreshBatch::RefreshBatch(File& file) : file_(&file) { ++file_->refresh_batches_; }

File::RefreshBatch::~RefreshBatch() {
  if (--file_->refresh_batches_ > 0 || !file_->refresh_waiting_) return;
  file_->refresh_waiting_ = false;
  try {
    file_->RefreshBookmark();
  } catch (...) {
    // The bookmark is a derived index; a failed rebuild leaves it stale, as a failing
    // Bookmark.Refresh does.
  }
}

void File::RaiseStatusChange(std::u16string& status_text) {
  sinks_.Raise(*this, [&](FileEvents& s) { s.StatusChange(status_text); });
}

void File::RaiseStatusChange(std::u16string_view status_text) {
  std::u16string text(status_text);
  RaiseStatusChange(text);
}

void File::RaiseProgress(double& percent) {
  sinks_.Raise(*this, [&](FileEvents& s) { s.Progress(percent); });
}

void File::RaiseComposeComplete() {
  sinks_.Raise(*this, [](FileEvents& s) { s.ComposeComplete(); });
}

void File::RaiseToolInitialize(int32_t tool_id, int32_t start_intensity, int32_t end_intensity,
                               std::vector<int32_t>& parameters) {
  sinks_.Raise(*this, [&](FileEvents& s) {
    s.ToolInitialize(tool_id, start_intensity, end_intensity, parameters);
  });
}

void File::RaiseHistoryInitialize(int32_t tool_id, int32_t start_intensity, int32_t end_intensity,
                                  std::vector<int32_t>& parameters) {
  sinks_.Raise(*this, [&](FileEvents& s) {
    s.HistoryInitialize(tool_id, start_intensity, end_intensity, parameters);
  });
}

}  // namespace quarnel::dataapi
