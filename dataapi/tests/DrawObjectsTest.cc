#include "dataapi/DrawObjects.h"
#include "platform/base/Error.h"

#include <cmath>
#include <cstdint>

#include <gtest/gtest.h>

namespace quarnel::dataapi {
namespace {

TEST(DrawObjectsTest, ObjectsOfAChannelKeepTheirAddOrder) {
  Ref<DrawObjects> d = DrawObjects::Create();
  EXPECT_EQ(d->Add(0, 2, 5), 0);
  EXPECT_EQ(d->Add(0, 2, 5), 1);
  EXPECT_EQ(d->Add(0, 2, 5), 2);
  for (int32_t i = 0; i < 3; ++i) d->SetX1(i, i + 10);
  EXPECT_EQ(d->Add(0, 1, 9), 0);  // a lower address goes in front
  EXPECT_EQ(d->X1(1), 10);
  EXPECT_EQ(d->X1(3), 12);
  EXPECT_EQ(d->Add(0, 2, 10), 4);  // 10 after 5, numerically
  EXPECT_EQ(d->FindBegin(0, 2, 5), 1);
  EXPECT_EQ(d->FindEnd(0, 2, 5), 3);
  EXPECT_EQ(d->X2(0), 0);  // geometry starts at 0
  EXPECT_EQ(d->Style(4), 0);
}

TEST(DrawObjectsTest, FractionsAreStoredInThousandths) {
  Ref<DrawObjects> d = DrawObjects::Create();
  d->Add(1, 1, 1);
  struct Case {
    double put, read;
  };
  const Case cases[] = {
      {45.6789, 45.678}, {-1.0001, -1.001}, {1.2345, 1.234}, {-0.0005, -0.001}, {0, 0},
      {2000000, 2000000}};
  for (const Case& c : cases) {
    d->SetArcStart(0, c.put);
    d->SetArcEnd(0, c.put);
    d->SetAspect(0, c.put);
    EXPECT_DOUBLE_EQ(d->ArcStart(0), c.read) << c.put;
    EXPECT_DOUBLE_EQ(d->ArcEnd(0), c.read);
    EXPECT_DOUBLE_EQ(d->Aspect(0), c.read);
  }
  for (double bad : {3e6, -3e6, std::nan("")}) {
    try {
      d->SetAspect(0, bad);
      ADD_FAILURE() << bad;
    } catch (const Error& e) {
      EXPECT_EQ(e.Number(), 6);
    }
  }
  EXPECT_DOUBLE_EQ(d->Aspect(0), 2000000);
}

// A value that is a whole number of thousandths keeps it (1.005 is not 1.004), and a
// value read back puts back the same: every three-decimal value from -360 to 360, and
// values all over the stored range.
TEST(DrawObjectsTest, WholeThousandthsKeepTheirValueAndGetThenPutChangesNothing) {
  Ref<DrawObjects> d = DrawObjects::Create();
  d->Add(1, 1, 1);
  int64_t changed = 0, first_changed = 0;
  auto check = [&](int64_t thousandths) {
    const double value = static_cast<double>(thousandths) / 1000;
    d->SetArcStart(0, value);
    d->SetArcEnd(0, d->ArcStart(0));
    d->SetAspect(0, d->ArcEnd(0));
    if (d->Aspect(0) != value && changed++ == 0) first_changed = thousandths;
  };
  for (int64_t k = -360000; k <= 360000; ++k) check(k);
  uint64_t seed = 12345;
  for (int i = 0; i < 200000; ++i) {
    seed = seed * 6364136223846793005u + 1442695040888963407u;
    check(static_cast<int32_t>(seed >> 32));
  }
  for (int64_t k :
       {int64_t{INT32_MIN}, int64_t{INT32_MIN} + 1, int64_t{INT32_MAX} - 1, int64_t{INT32_MAX}}) {
    check(k);
  }
  EXPECT_EQ(changed, 0) << "the first: " << first_changed << " thousandths";
}

TEST(DrawObjectsTest, KeysLongerThanTenCharactersAreRefused) {
  Ref<DrawObjects> d = DrawObjects::Create();
  EXPECT_EQ(d->Add(12, 255, 102), 0);
  EXPECT_EQ(d->Add(12, 255, 1024), -1);
  EXPECT_EQ(d->GetBounds(), 0);
  EXPECT_EQ(d->MoveGroup(12, 255, 102, 12, 255, 1024), -1);
  EXPECT_EQ(d->Channel(0), 102);
}

TEST(DrawObjectsTest, MoveGroupAppendsBehindTheDestinationsObjects) {
  Ref<DrawObjects> d = DrawObjects::Create();
  EXPECT_EQ(d->MoveGroup(0, 0, 1, 0, 0, 2), -1);
  for (int32_t i = 0; i < 2; ++i) {
    int32_t k = d->Add(0, 0, 1);
    d->SetX1(k, 100 + i);
    d->SetArcEnd(k, 1.5 + i);
    d->SetStyle(k, 7 + i);
  }
  d->SetY2(d->Add(0, 0, 2), 55);
  d->Add(0, 0, 3);
  EXPECT_EQ(d->MoveGroup(0, 0, 1, 0, 0, 2), 1);
  ASSERT_EQ(d->GetBounds(), 3);
  EXPECT_EQ(d->Y2(0), 55);  // the destination's own object stays in front
  for (int32_t i = 0; i < 2; ++i) {
    EXPECT_EQ(d->Channel(1 + i), 2);
    EXPECT_EQ(d->X1(1 + i), 100 + i);
    EXPECT_DOUBLE_EQ(d->ArcEnd(1 + i), 1.5 + i);
    EXPECT_EQ(d->Style(1 + i), 7 + i);
  }
  EXPECT_EQ(d->FindEnd(0, 0, 2), 2);
  EXPECT_EQ(d->FindBegin(0, 0, 1), -1);
  d->RemoveGroup(0, 0, 9);
  EXPECT_EQ(d->GetBounds(), 3);
  d->RemoveGroup(0, 0, 2);
  ASSERT_EQ(d->GetBounds(), 0);
  EXPECT_EQ(d->Channel(0), 3);
  d->Remove(1);
  d->Remove(0);
  EXPECT_EQ(d->GetBounds(), -1);
}

TEST(DrawObjectsTest, UndoDataAndClone) {
  Ref<DrawObjects> d = DrawObjects::Create();
  d->SetRadius(d->Add(0, 1, 1), 9);
  std::u16string snapshot = d->UndoData();
  Ref<DrawObjects> copy = d->Clone();
  d->Add(0, 1, 2);
  d->SetRadius(0, 1);
  int refreshes = 0;
  auto sink = MakeRef<EventHandlers<DrawObjectsEvents>>();
  sink->on_refresh = [&] { ++refreshes; };
  d->Advise(sink);
  d->SetUndoData(snapshot);
  EXPECT_EQ(refreshes, 1);
  EXPECT_EQ(d->GetBounds(), 0);
  EXPECT_EQ(d->Radius(0), 9);
  EXPECT_EQ(copy->Radius(0), 9);
}

}  // namespace
}  // namespace quarnel::dataapi
