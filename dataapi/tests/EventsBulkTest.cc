// The bulk operations must give exactly what the one-at-a-time operations give.
#include "dataapi/Events.h"

#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::dataapi {
namespace {

std::vector<EventRecord> RecordsOf(const Events& e) {
  std::vector<EventRecord> out;
  for (int32_t i = 0; i <= e.GetBounds(); ++i) out.push_back(e.Record(i));
  return out;
}

EventRecord RandomRecord(std::mt19937& rng) {
  std::uniform_int_distribution<int32_t> small(-2, 4), sample(-3, 40), any(-1000, 1000);
  EventRecord r;
  r.network = small(rng);
  r.device = small(rng);
  r.channel = small(rng);
  r.sample_number = sample(rng);
  r.command = any(rng);
  r.start_intensity = any(rng);
  r.end_intensity = any(rng);
  r.short_interval = any(rng);
  r.long_interval = any(rng);
  r.settings[0] = any(rng);
  return r;
}

// What AddMany promises: Add, then every field set from the record.
void AddOneByOne(Events& e, const EventRecord& r) {
  int32_t i = e.Add(r.network, r.device, r.channel, r.sample_number);
  if (i < 0) return;
  e.SetCommand(i, r.command);
  e.SetStartIntensity(i, r.start_intensity);
  e.SetEndIntensity(i, r.end_intensity);
  e.SetShortInterval(i, r.short_interval);
  e.SetLongInterval(i, r.long_interval);
  e.SetSetting(i, 0, r.settings[0]);
}

TEST(EventsBulkTest, AddManyMatchesAddingOneAtATime) {
  std::mt19937 rng(20240611);
  for (int round = 0; round < 40; ++round) {
    Ref<Events> bulk = Events::Create();
    Ref<Events> single = Events::Create();
    std::uniform_int_distribution<int> count(0, 300);
    int existing = count(rng);
    for (int i = 0; i < existing; ++i) {
      EventRecord r = RandomRecord(rng);
      AddOneByOne(*bulk, r);
      AddOneByOne(*single, r);
    }
    std::vector<EventRecord> fresh(static_cast<size_t>(count(rng)));
    for (EventRecord& r : fresh) r = RandomRecord(rng);
    if (round % 5 == 0 && !fresh.empty()) {
      fresh[0].network = INT32_MIN;  // a key that does not fit is refused by both
      fresh[0].device = INT32_MIN;
      fresh[0].channel = INT32_MIN;
    }
    int32_t before = single->GetBounds();
    for (const EventRecord& r : fresh) AddOneByOne(*single, r);
    int32_t added = bulk->AddMany(fresh);
    EXPECT_EQ(added, single->GetBounds() - before);
    ASSERT_EQ(RecordsOf(*bulk), RecordsOf(*single)) << "round " << round;
    // The keys are intact: every event is found where it is.
    for (int32_t i = 0; i <= bulk->GetBounds(); ++i) {
      EventRecord r = bulk->Record(i);
      ASSERT_EQ(bulk->FindLeft(r.network, r.device, r.channel, r.sample_number), i);
    }
  }
}

TEST(EventsBulkTest, AddManyRaisesRefreshOnceAndOnlyWhenSomethingWasAdded) {
  Ref<Events> e = Events::Create();
  int refreshes = 0;
  auto sink = MakeRef<EventHandlers<EventsEvents>>();
  sink->on_refresh = [&] { ++refreshes; };
  e->Advise(sink);
  EventRecord r;
  r.channel = 1;
  std::vector<EventRecord> records(3, r);
  EXPECT_EQ(e->AddMany(records), 1);
  EXPECT_EQ(refreshes, 1);
  EXPECT_EQ(e->AddMany(records), 0);
  EXPECT_EQ(refreshes, 1);
}

TEST(EventsBulkTest, RemoveIfMatchesRemovingOneAtATime) {
  std::mt19937 rng(7);
  for (int round = 0; round < 40; ++round) {
    Ref<Events> bulk = Events::Create();
    std::uniform_int_distribution<int> count(0, 400);
    std::vector<EventRecord> records(static_cast<size_t>(count(rng)));
    for (EventRecord& r : records) r = RandomRecord(rng);
    bulk->AddMany(records);
    Ref<Events> single = bulk->Clone();
    auto negative = [](const EventRecord& r) { return r.command < 0; };
    // The removal loop of the compiler: examine the same index again after a removal,
    // and move on past an event that Remove keeps.
    int32_t removed_single = 0;
    for (int32_t i = 0; i <= single->GetBounds();) {
      if (single->Command(i) < 0) {
        int32_t bound = single->GetBounds();
        single->Remove(i);
        if (single->GetBounds() < bound) {
          ++removed_single;
          continue;
        }
      }
      ++i;
    }
    EXPECT_EQ(bulk->RemoveIf(negative), removed_single);
    ASSERT_EQ(RecordsOf(*bulk), RecordsOf(*single)) << "round " << round;
  }
}

}  // namespace
}  // namespace quarnel::dataapi
