// The program's environment variables, as UTF-8 text on every system.
#pragma once

#include <optional>
#include <string>

namespace quarnel::platform {

// The value of the variable; nullopt when it is not set.
std::optional<std::string> EnvironmentValue(const std::string& name);

// Sets the variable for this program and the programs it starts; nullopt removes it.
void SetEnvironmentValue(const std::string& name, const std::optional<std::string>& value);

}  // namespace quarnel::platform
