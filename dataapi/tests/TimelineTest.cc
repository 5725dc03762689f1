#include "dataapi/Timeline.h"

#include <gtest/gtest.h>

namespace quarnel::dataapi {
namespace {

Ref<Timeline> Markers() {
  Ref<Timeline> t = Timeline::Create();
  for (int32_t s : {300, 0, 400, 100, 200}) t->Add(s);
  return t;
}

TEST(TimelineTest, MarkersStayInOrderAndUnique) {
  Ref<Timeline> t = Markers();
  ASSERT_EQ(t->GetBounds(), 4);
  for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(t->SampleNumber(i), i * 100);
  EXPECT_EQ(t->Add(200), -1);
  EXPECT_EQ(t->Add(1000), 5);
  EXPECT_EQ(t->Add(-5), 0);
  EXPECT_EQ(t->Add(-1000000000), -1);  // its key would not fit 10 characters
  EXPECT_EQ(t->Add(-999999999), 0);
}

TEST(TimelineTest, MovesAreRefusedOrAccepted) {
  struct Case {
    int32_t index, value;
    bool accepted;
  };
  const Case cases[] = {{2, 150, true},  {2, 100, false}, {2, 300, false}, {0, 50, false},
                        {4, 350, false}, {2, 299, true},  {1, 0, false},   {1, -50, false},
                        {3, 400, false}, {3, 450, false}, {3, 399, true},  {7, 5, false}};
  for (const Case& c : cases) {
    Ref<Timeline> t = Markers();
    t->SetSampleNumber(c.index, c.value);
    EXPECT_EQ(t->SampleNumber(c.index) == c.value, c.accepted) << c.index << " to " << c.value;
    if (c.accepted) {
      EXPECT_EQ(t->FindLeft(c.value), c.index);  // the key moved too
    }
  }
}

TEST(TimelineTest, Finds) {
  Ref<Timeline> t = Markers();
  EXPECT_EQ(t->FindLeft(250), 2);
  EXPECT_EQ(t->FindLeft(200), 2);
  EXPECT_EQ(t->FindRight(400), -1);
  EXPECT_EQ(t->FindLeft(-5), -1);
  EXPECT_EQ(t->FindRight(-5), 0);
  EXPECT_EQ(t->FindRight(250), 3);
  Ref<Timeline> empty = Timeline::Create();
  EXPECT_EQ(empty->FindLeft(0), -1);
  EXPECT_EQ(empty->GetBounds(), -1);
}

TEST(TimelineTest, UndoDataCloneAndRemove) {
  Ref<Timeline> t = Markers();
  std::u16string snapshot = t->UndoData();
  Ref<Timeline> copy = t->Clone();
  t->Remove(0);
  t->Remove(10);
  EXPECT_EQ(t->GetBounds(), 3);
  EXPECT_EQ(copy->GetBounds(), 4);
  t->SetUndoData(snapshot);
  EXPECT_EQ(t->GetBounds(), 4);
  EXPECT_EQ(t->SampleNumber(0), 0);
}

}  // namespace
}  // namespace quarnel::dataapi
