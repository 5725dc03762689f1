#include "dataapi/SharedMalloc.h"

#include "platform/base/Error.h"

namespace quarnel::dataapi {

Ref<platform::TaskMalloc> GetSharedMalloc() {
  // Module data of the library: one allocator per thread.
  thread_local Ref<platform::TaskMalloc> shared;
  if (!shared) {
    shared = platform::GetTaskMalloc();
    if (!shared) throw Error::OutOfMemory("GetSharedMalloc");
  }
  return shared;
}

}  // namespace quarnel::dataapi
