#include "platform/base/BackgroundThread.h"

namespace quarnel::platform {

std::thread StartBackgroundThread(std::function<void()> work) {
  return std::thread(std::move(work));
}

}  // namespace quarnel::platform
