// The thread's shared allocator, from which every table of the thread takes its block.
#pragma once

#include "platform/base/Ref.h"
#include "platform/memory/TaskMalloc.h"

namespace quarnel::dataapi {

// The calling thread's allocator, obtained on first use and kept for the life of the
// thread; later calls on the same thread return the same object. Raises 7 when no
// allocator can be had.
Ref<platform::TaskMalloc> GetSharedMalloc();

}  // namespace quarnel::dataapi
