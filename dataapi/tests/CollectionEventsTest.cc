#include "dataapi/Channels.h"
#include "dataapi/CollectionEvents.h"
#include "dataapi/Events.h"
#include "dataapi/Timeline.h"

#include <vector>

#include <gtest/gtest.h>

namespace quarnel::dataapi {
namespace {

using Sink = EventHandlers<EventsEvents>;

TEST(CollectionEventsTest, EverySubscriberHearsEachRefreshInOrder) {
  Ref<Events> e = Events::Create();
  std::vector<int> heard;
  std::vector<Ref<Sink>> sinks;
  for (int i = 0; i < 3; ++i) {
    sinks.push_back(MakeRef<Sink>());
    sinks.back()->on_refresh = [&heard, i] { heard.push_back(i); };
    EXPECT_NE(e->Advise(sinks.back()), 0u);
  }
  e->Add(0, 1, 1, 0);
  EXPECT_EQ(heard, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(sinks[0]->RefCount(), 2u);  // the connection holds a count
}

TEST(CollectionEventsTest, UnadviseStopsDeliveryAndReleasesTheSink) {
  Ref<Channels> c = Channels::Create();
  auto sink = MakeRef<EventHandlers<ChannelsEvents>>();
  int refreshes = 0;
  sink->on_refresh = [&] { ++refreshes; };
  uint32_t cookie = c->Advise(sink);
  c->Add(0, 0, 1, u"x", 1);
  EXPECT_TRUE(c->Unadvise(cookie));
  EXPECT_FALSE(c->Unadvise(cookie));
  EXPECT_EQ(sink->RefCount(), 1u);
  c->Add(0, 0, 2, u"y", 1);
  EXPECT_EQ(refreshes, 1);
  EXPECT_EQ(c->Advise(nullptr), 0u);
}

TEST(CollectionEventsTest, HandlersMayChangeTheConnectionsWhileARaiseRuns) {
  Ref<Events> e = Events::Create();
  std::vector<std::string> heard;
  auto first = MakeRef<Sink>(), second = MakeRef<Sink>(), third = MakeRef<Sink>(),
       late = MakeRef<Sink>();
  uint32_t first_cookie = e->Advise(first);
  e->Advise(second);
  uint32_t third_cookie = e->Advise(third);
  first->on_refresh = [&] {
    heard.push_back("first");
    e->Unadvise(first_cookie);  // itself
    e->Unadvise(third_cookie);  // one not yet called
    e->Advise(late);            // one added during the raise
  };
  second->on_refresh = [&] { heard.push_back("second"); };
  third->on_refresh = [&] { heard.push_back("third"); };
  late->on_refresh = [&] { heard.push_back("late"); };
  first = nullptr;  // only the connection keeps it alive now
  e->Add(0, 0, 0, 1);
  EXPECT_EQ(heard, (std::vector<std::string>{"first", "second"}));
  heard.clear();
  e->Add(0, 0, 0, 2);
  EXPECT_EQ(heard, (std::vector<std::string>{"second", "late"}));
}

TEST(CollectionEventsTest, AHandlerMayDropTheLastReferenceToTheCollection) {
  Ref<Events> holder = Events::Create();
  holder->Add(0, 0, 0, 5);
  auto sink = MakeRef<Sink>();
  int refreshes = 0;
  sink->on_refresh = [&] {
    ++refreshes;
    holder = nullptr;  // as a document replacing its Events inside a handler
  };
  holder->Advise(sink);
  Events* raw = holder.Get();
  // SampleNumber put raises several times; the object must outlive the whole call.
  raw->SetSampleNumber(0, 10);
  EXPECT_FALSE(holder);
  EXPECT_GE(refreshes, 1);
}

TEST(CollectionEventsTest, StatusAndProgressReachTheirHandlers) {
  EventHandlers<TimelineEvents> sink;
  std::u16string text = u"Opening";
  double percent = 42;
  std::u16string got_text;
  double got_percent = 0;
  sink.on_status_change = [&](std::u16string& t) { got_text = t; };
  sink.on_progress = [&](double& p) { got_percent = p; };
  CollectionEventSink& as_base = sink;
  as_base.StatusChange(text);
  as_base.Progress(percent);
  EXPECT_EQ(got_text, u"Opening");
  EXPECT_EQ(got_percent, 42);
  EXPECT_EQ(TimelineEvents::kIid, kIidTimelineEvents);
}

}  // namespace
}  // namespace quarnel::dataapi
