#include "dataapi/Bookmark.h"

#include <gtest/gtest.h>

namespace quarnel::dataapi {
namespace {

struct Fixture {
  Ref<Channels> channels = Channels::Create();
  Ref<Events> events = Events::Create();
  Fixture() {
    channels->Add(0, 0, 1, u"Seven before", 1);
    channels->Add(0, 1, 1, u"Example", 2);
    channels->Add(0, 1, 2, u"Silent", 3);
    channels->Add(0, 1, 3, u"Single", 4);
    for (int32_t s = 0; s < 7; ++s) events->Add(0, 0, 1, s * 1000);
    for (int32_t s : {0, 100000, 300000}) events->Add(0, 1, 1, s);
    events->Add(0, 1, 3, 500000);
  }
};

TEST(BookmarkTest, BucketsOfTheExampleChannel) {
  Fixture f;
  ASSERT_EQ(f.events->FindBegin(0, 1, 1), 7);
  Ref<Bookmark> b = Bookmark::Create();
  b->Refresh(f.channels, f.events);
  auto sample_of_bucket = [](int32_t k) { return k * 88200 + 10; };
  for (int32_t k = 0; k <= 2000; ++k) {
    int32_t left = k <= 1 ? 7 : k <= 3 ? 8 : 9;
    int32_t right = k == 0 ? 8 : 9;
    ASSERT_EQ(b->FindLeft(2, sample_of_bucket(k)), left) << k;
    ASSERT_EQ(b->FindRight(2, sample_of_bucket(k)), right) << k;
    // A channel without events gives -1, one with a single event that event.
    ASSERT_EQ(b->FindLeft(3, sample_of_bucket(k)), -1);
    ASSERT_EQ(b->FindRight(3, sample_of_bucket(k)), -1);
    ASSERT_EQ(b->FindLeft(4, sample_of_bucket(k)), 10);
    ASSERT_EQ(b->FindRight(4, sample_of_bucket(k)), 10);
    // The reserved channel is left at 0.
    ASSERT_EQ(b->FindLeft(0, sample_of_bucket(k)), 0);
  }
}

TEST(BookmarkTest, LookupsOutsideTheTablesGiveMinusOne) {
  Fixture f;
  Ref<Bookmark> b = Bookmark::Create();
  EXPECT_EQ(b->FindLeft(2, 0), -1);  // never refreshed
  EXPECT_EQ(b->FindRight(2, 0), -1);
  b->Refresh(f.channels, f.events);
  EXPECT_EQ(b->FindLeft(2, 2001 * 88200), -1);
  EXPECT_EQ(b->FindLeft(2, 2000 * 88200), 9);
  EXPECT_EQ(b->FindLeft(2, -88200), -1);
  EXPECT_EQ(b->FindLeft(2, -1), 7);  // truncated toward zero: bucket 0
  EXPECT_EQ(b->FindLeft(5, 0), -1);
  EXPECT_EQ(b->FindLeft(-1, 0), -1);
  // An empty channel list, or no objects, leaves the tables absent.
  f.channels->Remove(0);
  Ref<Channels> empty = Channels::Create();
  empty->Remove(0);
  b->Refresh(empty, f.events);
  EXPECT_EQ(b->FindLeft(0, 0), -1);
  b->Refresh(nullptr, nullptr);
  EXPECT_EQ(b->FindLeft(0, 0), -1);
}

TEST(BookmarkTest, CloneCopiesTheTables) {
  Fixture f;
  Ref<Bookmark> b = Bookmark::Create();
  b->Refresh(f.channels, f.events);
  Ref<Bookmark> copy = b->Clone();
  b->Refresh(nullptr, nullptr);
  EXPECT_EQ(copy->FindLeft(2, 300000), 8);
  EXPECT_EQ(copy->FindRight(2, 300000), 9);
  EXPECT_EQ(b->FindLeft(2, 300000), -1);
}

}  // namespace
}  // namespace quarnel::dataapi
