// How a document passes on the events of the collections it holds.
//
//   source        Progress   StatusChange   Refresh
//   Channels      forwarded  ignored        rebuilds the Bookmark
//   DrawObjects   forwarded  forwarded      ignored
//   Events        forwarded  forwarded      rebuilds the Bookmark
//   Timeline      forwarded  forwarded      ignored
#pragma once

#include "dataapi/CollectionEvents.h"
#include "dataapi/File.h"

#include <string>

namespace quarnel::dataapi {

struct ForwardRules {
  bool status_change;     // raise the document's StatusChange with the same text
  bool refresh_bookmark;  // Refresh rebuilds the Bookmark (when AutoRefresh is True)
};

template <class Interface>
constexpr ForwardRules kForwardRules{};
template <>
inline constexpr ForwardRules kForwardRules<ChannelsEvents>{false, true};
template <>
inline constexpr ForwardRules kForwardRules<DrawObjectsEvents>{true, false};
template <>
inline constexpr ForwardRules kForwardRules<EventsEvents>{true, true};
template <>
inline constexpr ForwardRules kForwardRules<TimelineEvents>{true, false};

// The sink through which a document listens to one collection. It points to the
// document without a count (the document holds the collection, which holds the sink);
// the document cuts the link when it ends. While a handler runs the document is kept
// alive, whatever the client's handlers do with their references.
template <class Interface>
class Forwarder : public Interface {
 public:
  explicit Forwarder(File* file) : file_(file) {}
  void Detach() { file_ = nullptr; }

  void StatusChange(std::u16string& status_text) override {
    if (!file_ || !kForwardRules<Interface>.status_change) return;
    Ref<File> keep(file_);
    keep->RaiseStatusChange(status_text);
  }
  void Refresh() override {
    if (!file_ || !kForwardRules<Interface>.refresh_bookmark) return;
    Ref<File> keep(file_);
    keep->RefreshBookmark();
  }
  void Progress(double& percent) override {
    if (!file_) return;
    Ref<File> keep(file_);
    keep->RaiseProgress(percent);
  }

 private:
  File* file_;
};

template <class Interface>
Ref<Interface> MakeForwarder(File* file) {
  return MakeRef<Forwarder<Interface>>(file);
}

template <class Interface>
void DetachForwarder(const Ref<Interface>& sink) {
  if (sink) static_cast<Forwarder<Interface>*>(sink.Get())->Detach();
}

}  // namespace quarnel::dataapi
