// Event interfaces of the collections and the connection list that raises them.
//
// Channels, Events, DrawObjects and Timeline each raise StatusChange, Refresh and
// Progress through their own event interface (__Channels, __Events, ...). A client
// implements the interface (or uses EventHandlers with lambdas), connects with Advise,
// which holds a count on the sink until Unadvise, and receives every event
// synchronously, on the collection's thread, before the raising member returns.
//
// A handler may unadvise itself or any other sink, advise new ones, or drop its
// references to the collection: a sink unadvised during a raise receives nothing more;
// one advised during a raise is first called by the next raise; the collection and the
// sinks being called stay alive until the raise ends.
#pragma once

#include "dataapi/Identity.h"
#include "platform/base/Ref.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace quarnel::dataapi {

// What every collection can raise. Arguments are passed by reference, as the binary
// interface passes them.
class CollectionEventSink : public RefCounted {
 public:
  virtual void StatusChange(std::u16string& status_text) { (void)status_text; }
  virtual void Refresh() {}
  virtual void Progress(double& percent) { (void)percent; }
};

// One event interface per class, so that a listener can tell its sources apart.
class ChannelsEvents : public CollectionEventSink {
 public:
  static constexpr const Guid& kIid = kIidChannelsEvents;
};
class EventsEvents : public CollectionEventSink {
 public:
  static constexpr const Guid& kIid = kIidEventsEvents;
};
class DrawObjectsEvents : public CollectionEventSink {
 public:
  static constexpr const Guid& kIid = kIidDrawObjectsEvents;
};
class TimelineEvents : public CollectionEventSink {
 public:
  static constexpr const Guid& kIid = kIidTimelineEvents;
};

// A sink whose handlers are plain callables; unset handlers ignore the event.
template <class Interface>
class EventHandlers : public Interface {
 public:
  std::function<void(std::u16string&)> on_status_change;
  std::function<void()> on_refresh;
  std::function<void(double&)> on_progress;

  void StatusChange(std::u16string& status_text) override {
    if (on_status_change) on_status_change(status_text);
  }
  void Refresh() override {
    if (on_refresh) on_refresh();
  }
  void Progress(double& percent) override {
    if (on_progress) on_progress(percent);
  }
};

// The connection list of one collection.
template <class Sink>
class EventSource {
 public:
  // Connects a sink; the result is the cookie that Unadvise takes (never 0). A null
  // sink is not connected and gives 0.
  uint32_t Advise(Ref<Sink> sink) {
    if (!sink) return 0;
    uint32_t cookie = next_cookie_++;
    if (next_cookie_ == 0) next_cookie_ = 1;
    entries_.push_back({cookie, std::move(sink)});
    return cookie;
  }

  // Disconnects; false when the cookie is not connected.
  bool Unadvise(uint32_t cookie) {
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [cookie](const Entry& e) { return e.cookie == cookie; });
    if (it == entries_.end()) return false;
    entries_.erase(it);
    return true;
  }

  size_t Count() const { return entries_.size(); }

  // Calls call(sink) for every sink connected now and still connected when its turn
  // comes. owner is the raising object, kept alive for the whole raise.
  template <class Call>
  void Raise(const RefCounted& owner, Call&& call) {
    if (entries_.empty()) return;
    Ref<const RefCounted> keep(&owner);
    std::vector<Entry> snapshot = entries_;
    for (const Entry& e : snapshot) {
      if (!Connected(e.cookie)) continue;
      call(*e.sink);
    }
  }

 private:
  struct Entry {
    uint32_t cookie;
    Ref<Sink> sink;
  };

  bool Connected(uint32_t cookie) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [cookie](const Entry& e) { return e.cookie == cookie; });
  }

  std::vector<Entry> entries_;
  uint32_t next_cookie_ = 1;
};

}  // namespace quarnel::dataapi
