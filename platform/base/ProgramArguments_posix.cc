#include "platform/base/ProgramArguments.h"

namespace quarnel::platform {

ProgramArguments::ProgramArguments(int argc, char** argv) : text_(argv, argv + argc) {
  for (const std::string& a : text_) pointers_.push_back(a.c_str());
  pointers_.push_back(nullptr);
}

}  // namespace quarnel::platform
