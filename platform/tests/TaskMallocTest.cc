#include "platform/memory/TaskMalloc.h"

#include <cstring>
#include <limits>

#include <gtest/gtest.h>

namespace quarnel::platform {
namespace {

TEST(TaskMallocTest, ReallocKeepsLeadingBytesWhenGrowingAndShrinking) {
  Ref<TaskMalloc> m = GetTaskMalloc();
  ASSERT_TRUE(m);
  const size_t sizes[] = {100, 131070, 8u << 20, 40u << 20, 5000, 1};
  auto* block = static_cast<uint8_t*>(m->Alloc(64));
  ASSERT_NE(block, nullptr);
  for (size_t i = 0; i < 64; ++i) block[i] = static_cast<uint8_t>(i * 7);
  size_t kept = 64;
  for (size_t size : sizes) {
    block = static_cast<uint8_t*>(m->Realloc(block, size));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(m->GetSize(block), size);
    kept = std::min(kept, size);
    for (size_t i = 0; i < kept; ++i) ASSERT_EQ(block[i], static_cast<uint8_t>(i * 7)) << size;
    block[size - 1] = 1;  // the whole size is writable
  }
  m->Free(block);
  m->Free(nullptr);
}

TEST(TaskMallocTest, RefusesAbsurdSizes) {
  Ref<TaskMalloc> m = GetTaskMalloc();
  const size_t absurd = std::numeric_limits<size_t>::max() - 100;  // no room for a header
  EXPECT_EQ(m->Alloc(absurd), nullptr);
  void* block = m->Alloc(10);
  EXPECT_EQ(m->Realloc(block, absurd), nullptr);
  m->Free(block);  // still valid after a refused Realloc
}

}  // namespace
}  // namespace quarnel::platform
