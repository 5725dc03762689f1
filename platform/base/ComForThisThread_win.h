// COM for the calling thread while an object of the system is used (a shell link, a
// library registering itself), in a single-threaded apartment as the system's own tools
// use. Where the thread has COM already, that stays as it is. Windows builds only.
#pragma once

// clang-format off
#include <windows.h>  // before objbase.h
#include <objbase.h>
// clang-format on

namespace quarnel::platform {

class ComForThisThread {
 public:
  ComForThisThread() : started_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComForThisThread() {
    if (started_) CoUninitialize();
  }
  ComForThisThread(const ComForThisThread&) = delete;
  ComForThisThread& operator=(const ComForThisThread&) = delete;

 private:
  bool started_;
};

}  // namespace quarnel::platform
