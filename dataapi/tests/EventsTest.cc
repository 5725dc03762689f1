#include "dataapi/Events.h"
#include "dataapi/RampCalc.h"
#include "platform/base/Error.h"

#include <vector>

#include <gtest/gtest.h>

namespace quarnel::dataapi {
namespace {

// (address, sample) of every event in table order.
std::vector<std::array<int32_t, 4>> KeysOf(const Events& e) {
  std::vector<std::array<int32_t, 4>> keys;
  for (int32_t i = 0; i <= e.GetBounds(); ++i) {
    keys.push_back({e.Network(i), e.Device(i), e.Channel(i), e.SampleNumber(i)});
  }
  return keys;
}

TEST(EventsTest, AddRefusesOrOverwritesATakenSample) {
  Ref<Events> e = Events::Create();
  int32_t i = e->Add(0, 1, 2, 100);
  EXPECT_EQ(i, 0);
  e->SetCommand(i, 34);
  e->SetStartIntensity(i, 1);
  EXPECT_EQ(e->Add(0, 1, 2, 100), -1);
  EXPECT_EQ(e->Command(0), 34);
  i = e->Add(0, 1, 2, 100, true);
  EXPECT_EQ(i, 0);
  EXPECT_EQ(e->GetBounds(), 0);
  EXPECT_EQ(e->Command(i), 0);  // a fresh event
  EXPECT_EQ(e->StartIntensity(i), 0);
  e->SetCommand(i, 7);
  EXPECT_EQ(e->Command(i), 7);
  EXPECT_EQ(e->MaxSetting(), 0);
}

TEST(EventsTest, EventsSortNumericallyByAddressThenSample) {
  Ref<Events> e = Events::Create();
  e->Add(0, 1, 10, 5);
  e->Add(0, 1, 9, 1000);
  e->Add(0, 1, 9, 200);
  e->Add(-1, 0, 0, 0);
  e->Add(0, 1, 9, -3);
  using K = std::array<int32_t, 4>;
  EXPECT_EQ(KeysOf(*e),
            (std::vector<K>{
                {-1, 0, 0, 0}, {0, 1, 9, -3}, {0, 1, 9, 200}, {0, 1, 9, 1000}, {0, 1, 10, 5}}));
}

TEST(EventsTest, FindsAndLengthsOnOneChannel) {
  Ref<Events> e = Events::Create();
  e->Add(0, 1, 1, 50);
  e->Add(0, 1, 2, 100);
  e->Add(0, 1, 2, 500);
  e->Add(0, 1, 3, 10);
  struct Case {
    const char* what;
    int32_t got, expected;
  };
  const Case cases[] = {
      {"FindLeft 300", e->FindLeft(0, 1, 2, 300), 1},
      {"FindLeft 100", e->FindLeft(0, 1, 2, 100), 1},
      {"FindLeft 99", e->FindLeft(0, 1, 2, 99), -1},
      {"FindLeft 10000", e->FindLeft(0, 1, 2, 10000), 2},
      {"FindRight 300", e->FindRight(0, 1, 2, 300), 2},
      {"FindRight 500", e->FindRight(0, 1, 2, 500), -1},
      {"FindRight 0", e->FindRight(0, 1, 2, 0), 1},
      {"FindBegin", e->FindBegin(0, 1, 2), 1},
      {"FindEnd", e->FindEnd(0, 1, 2), 2},
      {"FindBegin none", e->FindBegin(0, 1, 4), -1},
      {"FindEnd none", e->FindEnd(0, 1, 4), -1},
      {"FindLeft none", e->FindLeft(0, 1, 4, 100), -1},
      {"EventLength first", e->EventLength(1), 400},
      {"EventLength last of channel", e->EventLength(2), 1},
      {"EventLength last row", e->EventLength(3), 1},
      {"EventLength outside", e->EventLength(4), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.expected) << c.what;
}

TEST(EventsTest, RemoveAndRemoveGroup) {
  Ref<Events> e = Events::Create();
  e->Add(0, 1, 2, -1);
  e->Add(0, 1, 2, 100);
  e->Add(0, 1, 3, 100);
  e->Remove(0);  // an event at sample -1 stays
  e->Remove(7);
  EXPECT_EQ(e->GetBounds(), 2);
  e->Remove(1);
  EXPECT_EQ(e->GetBounds(), 1);
  int refreshes = 0;
  auto sink = MakeRef<EventHandlers<EventsEvents>>();
  sink->on_refresh = [&] { ++refreshes; };
  e->Advise(sink);
  e->RemoveGroup(0, 1, 9);  // a channel without events: nothing, no event
  EXPECT_EQ(refreshes, 0);
  e->RemoveGroup(0, 1, 2);  // takes the event at -1 too
  EXPECT_EQ(refreshes, 1);
  ASSERT_EQ(e->GetBounds(), 0);
  EXPECT_EQ(e->Channel(0), 3);
}

TEST(EventsTest, SampleNumberPutMovesTheEvent) {
  Ref<Events> e = Events::Create();
  for (int32_t s : {100, 200, 300}) {
    int32_t i = e->Add(0, 1, 2, s);
    e->SetCommand(i, s / 100);
    e->SetSetting(i, 0, s);
    e->SetLongInterval(i, 9);
  }
  e->SetSampleNumber(0, 250);
  using K = std::array<int32_t, 4>;
  EXPECT_EQ(KeysOf(*e), (std::vector<K>{{0, 1, 2, 200}, {0, 1, 2, 250}, {0, 1, 2, 300}}));
  EXPECT_EQ(e->Command(1), 1);
  EXPECT_EQ(e->Setting(1, 0), 100);
  EXPECT_EQ(e->LongInterval(1), 0);  // intervals are not carried over
  // Onto a sample the channel already uses: that event is replaced.
  e->SetSampleNumber(0, 300);
  ASSERT_EQ(e->GetBounds(), 1);
  EXPECT_EQ(e->SampleNumber(1), 300);
  EXPECT_EQ(e->Command(1), 2);
  // Outside the table nothing is created.
  e->SetSampleNumber(5, 10);
  e->SetSampleNumber(-1, 10);
  EXPECT_EQ(e->GetBounds(), 1);
}

TEST(EventsTest, EventAtMinusOneIsNeitherMovedNorDoubled) {
  Ref<Events> e = Events::Create();
  e->Add(0, 1, 2, -1);
  e->SetCommand(0, 5);
  e->SetSampleNumber(0, 50);
  ASSERT_EQ(e->GetBounds(), 0);
  EXPECT_EQ(e->SampleNumber(0), -1);
  EXPECT_EQ(e->Add(0, 1, 2, -1, true), 0);
  EXPECT_EQ(e->GetBounds(), 0);
  EXPECT_EQ(e->Command(0), 0);
}

TEST(EventsTest, KeysThatDoNotFitAreRefused) {
  Ref<Events> e = Events::Create();
  EXPECT_EQ(e->Add(-2147483647, -2147483647, -2147483647, 0), -1);
  EXPECT_EQ(e->Add(100, 100, 100, 2147483647), 0);
  e->SetSampleNumber(0, 5);
  EXPECT_EQ(e->MoveGroup(100, 100, 100, -2147483647, -2147483647, 1), -1);
  EXPECT_EQ(e->GetBounds(), 0);
  EXPECT_EQ(e->SampleNumber(0), 5);
}

TEST(EventsTest, MoveGroupOntoAnEmptyChannel) {
  Ref<Events> e = Events::Create();
  for (int32_t s : {10, 20}) e->SetCommand(e->Add(0, 1, 1, s), s);
  e->Add(0, 1, 5, 0);
  e->Add(0, 2, 0, 0);
  EXPECT_EQ(e->MoveGroup(0, 1, 1, 0, 1, 7), 1);
  using K = std::array<int32_t, 4>;
  EXPECT_EQ(KeysOf(*e), (std::vector<K>{{0, 1, 5, 0}, {0, 1, 7, 10}, {0, 1, 7, 20}, {0, 2, 0, 0}}));
  EXPECT_EQ(e->Command(2), 20);
  EXPECT_EQ(e->FindBegin(0, 1, 7), 1);
  EXPECT_EQ(e->MoveGroup(0, 1, 1, 0, 1, 8), -1);
}

TEST(EventsTest, MoveGroupMergesIntoAChannelWithEvents) {
  Ref<Events> e = Events::Create();
  for (int32_t s : {5, 30, 50}) e->SetCommand(e->Add(0, 1, 1, s), 100 + s);
  for (int32_t s : {0, 30, 60}) {
    int32_t i = e->Add(0, 1, 2, s);
    e->SetCommand(i, 200 + s);
    e->SetShortInterval(i, 3);
  }
  e->Add(0, 1, 3, 0);
  EXPECT_EQ(e->MoveGroup(0, 1, 1, 0, 1, 2), 1);  // the first moved event, sample 5
  using K = std::array<int32_t, 4>;
  EXPECT_EQ(
      KeysOf(*e),
      (std::vector<K>{
          {0, 1, 2, 0}, {0, 1, 2, 5}, {0, 1, 2, 30}, {0, 1, 2, 50}, {0, 1, 2, 60}, {0, 1, 3, 0}}));
  const int32_t commands[] = {200, 105, 130, 150, 260};
  for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(e->Command(i), commands[i]) << i;
  EXPECT_EQ(e->ShortInterval(0), 3);  // the destination's own events keep their fields
  EXPECT_EQ(e->ShortInterval(2), 0);
  EXPECT_EQ(e->FindLeft(0, 1, 2, 55), 3);
}

TEST(EventsTest, EventLengthPutSetsRampIntervals) {
  Ref<Events> e = Events::Create();
  e->Add(0, 1, 1, 0);
  e->SetEventLength(0, 4410);
  EXPECT_EQ(e->ShortInterval(0), 39);
  EXPECT_EQ(e->LongInterval(0), 136);
  EXPECT_EQ(e->SampleNumber(0), 0);
}

TEST(EventsTest, CalcRampIntervalsExamples) {
  struct Case {
    int32_t length, first, second;
  };
  const Case cases[] = {{0, 127, 144},      {4410, 39, 136},   {44100, 3, 244}, {88200, 1, 250},
                        {176400, 128, 253}, {882000, 128, 51}, {1, 127, 208},   {-88200, -2, 6}};
  for (const Case& c : cases) {
    RampIntervals r = CalcRampIntervals(c.length);
    EXPECT_EQ(r.first, c.first) << c.length;
    EXPECT_EQ(r.second, c.second) << c.length;
  }
}

TEST(EventsTest, EventLengthOverflowRaises) {
  Ref<Events> e = Events::Create();
  e->Add(0, 1, 1, -2000000000);
  e->Add(0, 1, 1, 2000000000);
  try {
    e->EventLength(0);
    ADD_FAILURE();
  } catch (const Error& err) {
    EXPECT_EQ(err.Number(), 6);
  }
}

TEST(EventsTest, UndoDataAndCloneRoundTrip) {
  Ref<Events> e = Events::Create();
  for (int32_t s = 0; s < 50; ++s) e->SetCommand(e->Add(s % 3, 1, s % 7, s * 100), s);
  std::u16string snapshot = e->UndoData();
  EXPECT_EQ(snapshot.size(), 50u * 158 + 1);
  Ref<Events> copy = e->Clone();
  e->RemoveGroup(0, 1, 0);
  e->Add(9, 9, 9, 9);
  copy->SetCommand(0, -5);
  EXPECT_NE(e->Command(0), -5);
  e->SetUndoData(snapshot);
  EXPECT_EQ(e->UndoData(), snapshot);
  EXPECT_EQ(e->GetBounds(), 49);
  e->SetUndoData(u"abc");  // no snapshot of an event table: unchanged
  EXPECT_EQ(e->UndoData(), snapshot);
  EXPECT_EQ(copy->Command(0), -5);
  EXPECT_EQ(copy->GetBounds(), 49);
}

}  // namespace
}  // namespace quarnel::dataapi
