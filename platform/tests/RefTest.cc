#include "platform/base/Ref.h"

#include <gtest/gtest.h>

namespace quarnel {
namespace {

class Counted : public RefCounted {
 public:
  explicit Counted(int* destroyed) : destroyed_(destroyed) {}
  ~Counted() override { ++*destroyed_; }

 private:
  int* destroyed_;
};

TEST(RefTest, LastHolderDestroysTheObject) {
  int destroyed = 0;
  {
    Ref<Counted> a = MakeRef<Counted>(&destroyed);
    EXPECT_EQ(a->RefCount(), 1u);
    Ref<Counted> b = a;
    EXPECT_EQ(a->RefCount(), 2u);
    Ref<RefCounted> base = b;  // upcast holds a count too
    EXPECT_EQ(a->RefCount(), 3u);
    b = nullptr;
    base = nullptr;
    EXPECT_EQ(a->RefCount(), 1u);
    EXPECT_EQ(destroyed, 0);
  }
  EXPECT_EQ(destroyed, 1);
}

TEST(RefTest, MoveAndSelfAssignmentKeepTheCount) {
  int destroyed = 0;
  Ref<Counted> a = MakeRef<Counted>(&destroyed);
  Ref<Counted> b = std::move(a);
  EXPECT_FALSE(a);
  EXPECT_EQ(b->RefCount(), 1u);
  b = b;
  EXPECT_EQ(b->RefCount(), 1u);
  b = Ref<Counted>();
  EXPECT_EQ(destroyed, 1);
}

}  // namespace
}  // namespace quarnel
