// The system task allocator: a counted allocator object from which tables take their
// storage blocks. Blocks may grow or shrink in place (Realloc keeps the leading bytes).
// Large blocks are mapped pages, so growing one never copies it.
#pragma once

#include "platform/base/Ref.h"

#include <cstddef>

namespace quarnel::platform {

class TaskMalloc : public RefCounted {
 public:
  TaskMalloc() = default;

  // A block of at least size bytes, or null when memory is exhausted.
  void* Alloc(size_t size) noexcept;
  // The block resized to size bytes, its first min(old, size) bytes kept; null when
  // memory is exhausted (the old block then stays valid).
  void* Realloc(void* block, size_t size) noexcept;
  // Frees a block from Alloc or Realloc; null is ignored.
  void Free(void* block) noexcept;
  // The size the block was last given.
  size_t GetSize(const void* block) const noexcept;
};

// A new task allocator, or null when none can be had.
Ref<TaskMalloc> GetTaskMalloc() noexcept;

}  // namespace quarnel::platform
