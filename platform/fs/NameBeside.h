// The name a replacement is written under before it is moved over its target: beside the
// target, so the move stays on one file system, with a random tag, so two writers never
// share it. Both systems' ReplacingFile use it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>

namespace quarnel::platform {

inline std::filesystem::path NameBeside(const std::filesystem::path& target) {
  std::random_device rd;
  const uint64_t tag = (static_cast<uint64_t>(rd()) << 32) ^ rd();
  std::filesystem::path beside = target;
  beside += ".saving-" + std::to_string(tag);
  return beside;
}

}  // namespace quarnel::platform
