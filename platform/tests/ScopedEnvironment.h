// Environment variables set (or removed) for the life of a test object and put back as
// they were when it ends.
#pragma once

#include "platform/base/Environment.h"

#include <map>
#include <optional>
#include <string>

namespace quarnel::platform::testing {

class ScopedEnvironment {
 public:
  ScopedEnvironment() = default;
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) SetEnvironmentValue(name, value);
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  // nullopt removes the variable.
  void Set(const std::string& name, const std::optional<std::string>& value) {
    if (!saved_.contains(name)) saved_[name] = EnvironmentValue(name);
    SetEnvironmentValue(name, value);
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

}  // namespace quarnel::platform::testing
