#include "platform/memory/TaskMalloc.h"

#include <new>

namespace quarnel::platform {

Ref<TaskMalloc> GetTaskMalloc() noexcept {
  try {
    return MakeRef<TaskMalloc>();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace quarnel::platform
